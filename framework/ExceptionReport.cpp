#include "framework/ExceptionReport.h"

#include <new>
#include <stdexcept>

#include "framework/WinApp.h"
#include "framework/WindowBackend.h"

namespace {

constexpr const char* kOutOfMemory = "内存不足。";
constexpr const char* kInternalError = "内部应用程序出错。";

}  // namespace

std::string ExceptionReportText(std::exception_ptr exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception& failure) {
        const std::string text = failure.what();
        return text.empty() ? kInternalError : text;
    } catch (...) {
        return kInternalError;
    }
}

void ReportException(std::exception_ptr exception, WindowHandle owner) {
    const std::string text = ExceptionReportText(exception);
    const std::string caption = AfxGetApp() ? AfxGetApp()->m_pszAppName : std::string();
    window_backend::ShowMessageBox(owner, text, caption, MessageBoxButtons::ok,
                                   MessageBoxIcon::error);
}
