// CWinApp: the program's application object. A program defines one global object of a class
// derived from CWinApp; the framework's entry (ProgramEntry.h) runs it.
#pragma once

#include <string>

#include "framework/WindowTypes.h"

class CWnd;

class CWinApp {
  public:
    // Registers this object as the application. appName null: the executable's name is used.
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The program's start-up. The framework has no application message loop of its own: every
    // window is a modal dialog with its own loop, so whatever this returns, the program then ends.
    virtual bool InitInstance();
    // Runs last; returns the exit status.
    virtual int ExitInstance();

    // The icon with that number from the program's resources; null when there is none.
    IconHandle LoadIcon(unsigned id) const;

    std::string m_pszAppName;  // the caption of message boxes that give none
    CWnd* m_pMainWnd = nullptr;
};

// The application object; null when the program defines none.
CWinApp* AfxGetApp();
