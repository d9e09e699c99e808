// How the framework reports an exception that escaped a message handler.
#pragma once

#include <exception>
#include <string>

#include "framework/WindowTypes.h"

// "内存不足。" for memory exhaustion, else the exception's own text, else "内部应用程序出错。".
std::string ExceptionReportText(std::exception_ptr exception);

// Shows the report in a message box owned by owner.
void ReportException(std::exception_ptr exception, WindowHandle owner);
