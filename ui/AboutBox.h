// CAboutBox: the About box, template IDD_ABOUT. OK and Esc close it; run from the main dialog it
// is owned by it.
#pragma once

#include "framework/Dialog.h"

class CAboutBox : public CDialog {
  public:
    CAboutBox();
};
