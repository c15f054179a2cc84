// The main window's side of the link: its status bar, the keep-alive, and where a broken
// connection is reported.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/app_context.h"
#include "app/main_window.h"
#include "editor/draw_form.h"
#include "link/transfer_forms.h"
#include "link/link.h"
#include "link/net_form.h"
#include "scripted_dialogs.h"
#include "sensor_simulator.h"
#include "test_support.h"

using namespace zep4;

namespace {

class MainLinkTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::TScriptedDialogs dialogs;
    std::unique_ptr<TAppContext> context;
    sim::TSensorSimulator simulator;

    void SetUp() override {
        sim::InstallConnectionExchanges(simulator);
        ASSERT_TRUE(simulator.listen(0));
        test::writeFileText(dir / "Language.ini", "[Language]\nSpeech=none.txt");
        context = std::make_unique<TAppContext>(dialogs, dir.path());
        dialogs.messages.clear();  // the start-up's missing language file
    }
    TForm1& form() { return context->mainWindow(); }
    TLink& link() { return form().link(); }

    void connectToSimulator() {
        QSignalSpy checked(&context->netForm().procedure(), &TLoginProcedure::versionChecked);
        context->netForm().procedure().start("127.0.0.1", simulator.port(), "zep4");
        ASSERT_TRUE(checked.wait(5000));
    }
};

}  // namespace

TEST_F(MainLinkTest, StatusBarShowsTheConnectionAndTheConnectionCommandIsEnabled) {
    EXPECT_TRUE(form().menuAction("N23")->isEnabled());
    EXPECT_TRUE(form().findChild<QToolButton*>("ToolButton7")->isEnabled());
    connectToSimulator();
    EXPECT_EQ(form().statusPanelText(0), LinkBuiltinText(41) + ": 127.0.0.1");
    EXPECT_TRUE(form().Timer3.isActive());

    QSignalSpy gone(&link(), &TLink::disconnected);
    form().findChild<QToolButton*>("ToolButton17")->click();
    EXPECT_FALSE(link().isActive());
    EXPECT_EQ(form().statusPanelText(0), LinkBuiltinText(43));
    EXPECT_FALSE(form().Timer3.isActive());
}

TEST_F(MainLinkTest, KeepAliveGoesOutWhenIdleOnly) {
    connectToSimulator();
    QSignalSpy frames(&simulator, &sim::TSensorSimulator::frameReceived);
    form().Timer3Timer();
    ASSERT_TRUE(frames.wait(3000));
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), QByteArray("KAT"));

    // While a procedure waits for its reply nothing is sent.
    context->netForm().procedure().versionBusy = true;
    QSignalSpy bytes(&simulator, &sim::TSensorSimulator::bytesReceived);
    form().Timer3Timer();
    EXPECT_FALSE(bytes.wait(300));
    context->netForm().procedure().versionBusy = false;
}

TEST_F(MainLinkTest, BrokenConnectionIsShownInADialogUnlessTheConnectionManagerIsActive) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();  // nothing listens there now: the connection is refused

    TNetForm& net = context->netForm();
    net.show();
    net.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&net));
    QSignalSpy failed(&link(), &TLink::socketError);
    net.procedure().start("127.0.0.1", port, "x");
    ASSERT_TRUE(failed.wait(3000));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(net.statusText().startsWith(LinkBuiltinText(42))) << net.statusText().toStdString();
    EXPECT_EQ(form().statusPanelText(0), net.statusText());

    net.hide();
    net.procedure().start("127.0.0.1", port, "x");
    ASSERT_TRUE(failed.wait(3000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Information);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(LinkBuiltinText(42)));
}

// A live picture runs while the user opens a transfer window or disconnects: the main window
// ends it first, and no keep-alive goes out while it runs.
TEST_F(MainLinkTest, LivePictureIsEndedBeforeATransferWindowAndByDisconnecting) {
    connectToSimulator();
    TDrawForm& editor = context->drawForm();
    QSignalSpy frames(&simulator, &sim::TSensorSimulator::frameReceived);
    auto* startTest = editor.findChild<QAbstractButton*>("FlatSpeedButton22");  // StartTestmode
    ASSERT_NE(startTest, nullptr);
    startTest->click();
    ASSERT_TRUE(editor.pictureActive());
    ASSERT_TRUE(frames.wait(3000));

    const int before = int(frames.count());
    form().Timer3Timer();
    QTest::qWait(50);
    for (int i = before; i < frames.count(); ++i) EXPECT_NE(frames.at(i).at(0).toByteArray(), QByteArray("KAT"));

    QTimer::singleShot(0, &context->receiveForm(), [this] { context->receiveForm().reject(); });
    form().ReceiveSetupClick();
    EXPECT_FALSE(editor.pictureActive());

    startTest->click();
    ASSERT_TRUE(editor.pictureActive());
    form().findChild<QToolButton*>("ToolButton17")->click();
    EXPECT_FALSE(link().isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor.pictureActive(); }, 3000));
}
