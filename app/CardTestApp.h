// CCardTestApp: the application object. Its start-up runs the main dialog modally; when the
// dialog closes, the program ends.
#pragma once

#include "framework/WinApp.h"

class CCardTestApp : public CWinApp {
  public:
    bool InitInstance() override;
};
