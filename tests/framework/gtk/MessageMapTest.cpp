// Message maps on real dialogs: commands by id and notification code, the chain to the base
// class's map, timers, messages posted from other threads (also after the window is gone), the
// system command and the default processing of what no map handles.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/Dialog.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

using namespace gtk_test;

namespace {

constexpr unsigned kBaseMessage = wm::app + 1;
constexpr unsigned kDerivedMessage = wm::app + 2;
constexpr unsigned kUnmappedMessage = wm::app + 3;

class BaseDialog : public CDialog {
  public:
    BaseDialog() : CDialog(IDD_MAIN) {}
    std::vector<std::string> log;

  protected:
    void OnVerify() { log.push_back("base verify"); }
    void OnLinkClicked() { log.push_back("link clicked"); }
    std::intptr_t OnBaseMessage(std::uintptr_t wParam, std::intptr_t lParam) {
        log.push_back("base message " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 7;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDialog, CDialog)
    ON_BN_CLICKED(IDC_VERIFY, &BaseDialog::OnVerify)
    ON_STN_CLICKED(IDC_LINK, &BaseDialog::OnLinkClicked)
    ON_MESSAGE(kBaseMessage, &BaseDialog::OnBaseMessage)
END_MESSAGE_MAP()

class DerivedDialog : public BaseDialog {
  public:
    struct Delivery {
        std::uintptr_t value;
        std::thread::id thread;
    };
    std::vector<Delivery> timers;
    std::vector<Delivery> posted;
    std::vector<unsigned> sysCommands;
    std::size_t stopTimerAfter = 3;

  protected:
    void OnVerifyDerived() { log.push_back("derived verify"); }
    void OnLinkDoubleClicked() { log.push_back("link double-clicked"); }
    void OnTimer(std::uintptr_t id) {
        timers.push_back({id, std::this_thread::get_id()});
        if (timers.size() == stopTimerAfter) {
            KillTimer(id);
        }
    }
    void OnSysCommand(unsigned id, std::intptr_t lParam) {
        sysCommands.push_back(id);
        CDialog::OnSysCommand(id, lParam);
    }
    std::intptr_t OnDerivedMessage(std::uintptr_t wParam, std::intptr_t) {
        posted.push_back({wParam, std::this_thread::get_id()});
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, BaseDialog)
    ON_BN_CLICKED(IDC_VERIFY, &DerivedDialog::OnVerifyDerived)
    ON_STN_DBLCLK(IDC_LINK, &DerivedDialog::OnLinkDoubleClicked)
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(kDerivedMessage, &DerivedDialog::OnDerivedMessage)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }

    GtkWidget* Control(CDialog& dialog, int id) { return WidgetOf(dialog.GetDlgItem(id)->m_hWnd); }
    bool Shown(CDialog& dialog) { return gtk_widget_get_mapped(WidgetOf(dialog.m_hWnd)); }
};

}  // namespace

TEST_F(MessageMapTest, CommandsGoToTheMostDerivedEntryForTheirIdAndCode) {
    DerivedDialog dialog;
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return Shown(dialog); }));
        dialog.GetDlgItem(IDC_VERIFY)->EnableWindow(true);
        GtkWidget* verify = Control(dialog, IDC_VERIFY);
        SendEnter(verify);
        Click(verify, 1000);
        ASSERT_TRUE(PumpUntil([&] { return !dialog.log.empty(); }));
        EXPECT_EQ(dialog.log, std::vector<std::string>{"derived verify"});

        // Another notification code of the same control has no entry.
        dialog.SendMessage(wm::command, MakeCommandParam(IDC_VERIFY, bn::doubleClicked));
        // Entries only the base class has are found through the chain.
        EXPECT_EQ(dialog.SendMessage(kBaseMessage, 3, 4), 7);
        // What no map handles gets the default processing.
        EXPECT_EQ(dialog.SendMessage(kUnmappedMessage, 1, 2), 0);
        EXPECT_EQ(dialog.log, (std::vector<std::string>{"derived verify", "base message 3 4"}));
        dialog.EndDialog(IDOK);
    });
}

// A static with the notify style reports each click, and makes the second click of a double click
// its double click: a double click is one click and one double click.
TEST_F(MessageMapTest, NotifyStaticReportsClicksAndDoubleClicks) {
    DerivedDialog dialog;
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return Shown(dialog); }));
        GtkWidget* link = Control(dialog, IDC_LINK);
        Click(link, 1000);
        DoubleClick(link, 5000);
        Click(link, 5100);  // a click right after a double click is a click again
        Click(link, 9000, GDK_BUTTON_SECONDARY);
        ASSERT_TRUE(PumpUntil([&] { return dialog.log.size() >= 4; }));
        PumpPending();
        EXPECT_EQ(dialog.log, (std::vector<std::string>{"link clicked", "link clicked",
                                                        "link double-clicked", "link clicked"}));
        dialog.EndDialog(IDOK);
    });
}

TEST_F(MessageMapTest, TimerMessagesReachTheMapOnTheWindowThreadUntilKilled) {
    DerivedDialog dialog;
    RunDialog(dialog, [&] {
        EXPECT_EQ(dialog.SetTimer(7, 10, nullptr), 7u);
        ASSERT_TRUE(PumpUntil([&] { return dialog.timers.size() >= 3; }));
        // The handler killed it at the third: no timer message arrives after that.
        EXPECT_FALSE(dialog.KillTimer(7));
        dialog.SetTimer(8, 10);
        ASSERT_TRUE(PumpUntil([&] { return dialog.timers.size() >= 4; }));
        ASSERT_TRUE(dialog.KillTimer(8));
        PumpUntil([] { return false; }, 100ms);
        ASSERT_EQ(dialog.timers.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(dialog.timers[i].value, i < 3 ? 7u : 8u);
            EXPECT_EQ(dialog.timers[i].thread, std::this_thread::get_id());
        }
        dialog.EndDialog(IDOK);
    });
}

TEST_F(MessageMapTest, MessagesPostedFromAnotherThreadArriveInOrderOnTheWindowThread) {
    DerivedDialog dialog;
    constexpr std::uintptr_t kCount = 200;
    RunDialog(dialog, [&] {
        std::thread worker([&] {
            for (std::uintptr_t i = 0; i < kCount; ++i) {
                EXPECT_TRUE(dialog.PostMessage(kDerivedMessage, i));
            }
        });
        worker.join();
        ASSERT_TRUE(PumpUntil([&] { return dialog.posted.size() == kCount; }));
        for (std::uintptr_t i = 0; i < kCount; ++i) {
            EXPECT_EQ(dialog.posted[i].value, i);
            EXPECT_EQ(dialog.posted[i].thread, std::this_thread::get_id());
        }
        dialog.EndDialog(IDOK);
    });
}

// A worker may go on posting while the dialog closes and after it is gone: messages are then
// refused or dropped, never delivered to a window that no longer exists.
TEST_F(MessageMapTest, PostingWhileAndAfterTheWindowCloses) {
    DerivedDialog dialog;
    MessagePoster poster;
    std::atomic<bool> refused{false};
    std::thread worker;
    RunDialog(dialog, [&] {
        poster = dialog.GetMessagePoster();
        worker = std::thread([&poster, &refused] {
            for (std::uintptr_t i = 0; !refused; ++i) {
                refused = !poster.Post(kDerivedMessage, i);
            }
        });
        ASSERT_TRUE(PumpUntil([&] { return dialog.posted.size() >= 10; }));
        dialog.EndDialog(IDOK);
    });
    worker.join();
    const std::size_t delivered = dialog.posted.size();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(poster.Post(kDerivedMessage, 0));
    EXPECT_FALSE(dialog.PostMessage(kDerivedMessage, 0));
    PumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(dialog.posted.size(), delivered);
    for (std::size_t i = 0; i < delivered; ++i) {
        EXPECT_EQ(dialog.posted[i].value, i);
    }
}

// Close reaches the dialog as the system command Close, whose default processing cancels it.
TEST_F(MessageMapTest, CloseIsASystemCommandWhoseDefaultCancels) {
    for (const bool closeButton : {true, false}) {
        SCOPED_TRACE(closeButton ? "the close button" : "the system command sent");
        DerivedDialog dialog;
        const std::intptr_t result = RunDialog(dialog, [&] {
            ASSERT_TRUE(PumpUntil([&] { return Shown(dialog); }));
            dialog.SendMessage(wm::sysCommand, IDM_ABOUT);  // no default for it: nothing happens
            if (closeButton) {
                SendDelete(WidgetOf(dialog.m_hWnd));
            } else {
                dialog.SendMessage(wm::sysCommand, sc::close);
            }
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.sysCommands, (std::vector<unsigned>{IDM_ABOUT, sc::close}));
    }
}
