// The Qt backend of the platform's UI services: boxes asked for from another thread are
// shown on the GUI thread with their caption, icon, buttons and default button; progress
// windows follow the platform's calls.
#include "manager/qtui/QtUiBackend.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class QtBackend : public ::testing::Test {
protected:
    QtBackend() { zorplat::SetUiBackend(std::make_unique<zorqtui::QtUiBackend>()); }
    ~QtBackend() override { zorplat::SetUiBackend(nullptr); }
};

TEST_F(QtBackend, BoxFromAWorkerThreadIsShownOnTheGuiThreadAndAnswered)
{
    QMessageBox *seen = nullptr;
    QString caption, text, defaultText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool onGuiThread = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || seen)
            return;
        seen = box;
        onGuiThread = box->thread() == QApplication::instance()->thread();
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        box->button(QMessageBox::Yes)->click();
    });
    poll.start(10);
    std::atomic<int> answer{0};
    std::thread worker([&] {
        answer = MessageBox(nullptr, "Send it again?", "Print Manager", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    });
    const bool answered = QTest::qWaitFor([&] { return answer != 0; }, 5000);
    worker.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(answer, IDYES);
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(caption, "Print Manager");
    EXPECT_EQ(text, "Send it again?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(defaultText, "&No") << "MB_DEFBUTTON2 on Yes/No";
}

TEST_F(QtBackend, EscapeAnswersCancel)
{
    QTimer::singleShot(50, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(MessageBox(nullptr, "Go on?", "Sendaro", MB_OKCANCEL), IDCANCEL);
}

TEST_F(QtBackend, ProgressWindowFollowsThePlatformCalls)
{
    HWND window = zorplat::CreateProgressWindow("Sending to North Laser");
    auto findDialog = [] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QProgressDialog *>(widget); dialog && dialog->isVisible())
                return dialog;
        return static_cast<QProgressDialog *>(nullptr);
    };
    QProgressDialog *dialog = findDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Sending to North Laser");
    zorplat::SetProgressRange(window, 0, 8);
    zorplat::SetProgressPosition(window, 3);
    EXPECT_EQ(dialog->maximum(), 8);
    EXPECT_EQ(dialog->value(), 3);
    SetWindowText(window, "Sending to South Colour");
    EXPECT_EQ(dialog->windowTitle(), "Sending to South Colour");
    DestroyWindow(window);
    EXPECT_EQ(findDialog(), nullptr);
}

} // namespace
