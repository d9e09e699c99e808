#include "ui/AboutBox.h"

#include "res/resource.h"

CAboutBox::CAboutBox() : CDialog(IDD_ABOUT) {}
