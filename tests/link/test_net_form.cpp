// The connection manager window, offscreen: the address book, the address rules, and
// connecting to the simulator.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "link/link.h"
#include "named_child.h"
#include "link/net_form.h"
#include "scripted_dialogs.h"
#include "sensor_simulator.h"
#include "test_support.h"
#include "ui/language.h"

using namespace zep4;

namespace {

class NetFormTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::TScriptedDialogs dialogs;
    TLanguage language{dialogs};
    TLink link{dialogs, [](int line) { return LinkBuiltinText(line); }};
    std::unique_ptr<TNetForm> form;
    sim::TSensorSimulator simulator;

    void SetUp() override {
        sim::InstallConnectionExchanges(simulator);
        ASSERT_TRUE(simulator.listen(0));
    }
    void open(const std::string& networkIni = {}) {
        if (!networkIni.empty()) test::writeFileText(dir / "Network.ini", networkIni);
        form = std::make_unique<TNetForm>(link, dialogs, language, [this] { return dir.path(); });
        form->show();
    }
    template <typename T = QWidget>
    T* child(const char* name) {
        return test::namedChild<T>(form.get(), name);
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QTableWidget* grid() { return child<QTableWidget>("StringGrid1"); }
    QString cell(int row, int column) { return grid()->item(row, column)->text(); }
    void typeTarget(const QString& address, const QString& port, const QString& host) {
        child<QLineEdit>("Edit6")->setText(address);
        child<QLineEdit>("Edit13")->setText(port);
        child<QLineEdit>("Edit14")->setText(host);
    }
    void connectWith(const QString& password) {
        click("FlatSpeedButton1");
        EXPECT_TRUE(child("Panel2")->isVisible());
        child<QLineEdit>("Edit10")->setText(password);
        QTest::keyClick(child<QLineEdit>("Edit10"), Qt::Key_Return);
    }
    static std::string entry(const char* name, const char* ip) { return std::string(name) + "\n" + ip + "\n81\n\n\n"; }
};

}  // namespace

TEST_F(NetFormTest, AnEntryWithAnEmptyNameEndsTheAddressBook) {
    open(entry("First", "10.0.0.1") + entry("", "10.0.0.2") + entry("Third", "10.0.0.3"));
    ASSERT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "First");
    EXPECT_EQ(cell(0, 1), "10.0.0.1");
}

TEST_F(NetFormTest, RowClickCopiesTheAddressIntoTheConnectFields) {
    open(entry("A", "10.0.0.1") + "B\n10.0.0.2\n4081\nsensor.local\n\n");
    grid()->setCurrentCell(1, 0);
    EXPECT_EQ(child<QLineEdit>("Edit6")->text(), "10.0.0.2");
    EXPECT_EQ(child<QLineEdit>("Edit13")->text(), "4081");
    EXPECT_EQ(child<QLineEdit>("Edit14")->text(), "sensor.local");
}

TEST_F(NetFormTest, DeletingTheOnlyRowDoesNothingAndDeletingRow2Of4MovesTheRestUp) {
    open(entry("Only", "1.1.1.1"));
    click("FlatSpeedButton5");
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "Only");
    form->close();

    open(entry("R1", "1.1.1.1") + entry("R2", "2.2.2.2") + entry("R3", "3.3.3.3") + entry("R4", "4.4.4.4"));
    grid()->setCurrentCell(1, 0);
    dialogs.answers = {MessageResult::Abort};
    click("FlatSpeedButton5");
    EXPECT_EQ(grid()->rowCount(), 4);
    dialogs.answers = {MessageResult::Yes};
    click("FlatSpeedButton5");
    ASSERT_EQ(grid()->rowCount(), 3);
    EXPECT_EQ(cell(0, 0), "R1");
    EXPECT_EQ(cell(1, 0), "R3");
    EXPECT_EQ(cell(2, 0), "R4");
    EXPECT_EQ(dialogs.messages.back().buttons, MessageButtons::YesAbort);
}

TEST_F(NetFormTest, NewEntryIsKeptThroughAMessageAndWrittenOnClose) {
    open(entry("Old", "1.1.1.1"));
    click("FlatSpeedButton4");
    EXPECT_EQ(grid()->rowCount(), 2);
    EXPECT_TRUE(child("Panel3")->isVisible());
    child<QLineEdit>("Edit5")->setText("Simulator");
    child<QLineEdit>("Edit4")->setText("127.0.0.1");
    child<QLineEdit>("Edit3")->setText("port?");
    click("FlatSpeedButton6");
    EXPECT_FALSE(child("Panel3")->isVisible());
    EXPECT_EQ(cell(1, 2), "81");  // a port that is no number becomes 81
    // A message box and the window's activation afterwards must not lose the edit.
    dialogs.answers = {MessageResult::Abort};
    click("FlatSpeedButton5");
    form->activateWindow();
    EXPECT_EQ(cell(1, 0), "Simulator");
    click("SpeedButton2");
    EXPECT_EQ(test::readFileText(dir / "Network.ini"), entry("Old", "1.1.1.1") + "Simulator\n127.0.0.1\n81\n\n\n");
}

TEST_F(NetFormTest, NoUsableAddressIsReportedAndNothingIsOpened) {
    open();
    typeTarget("192.168.1", "81", "");
    connectWith("zep4");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Plain);
    EXPECT_EQ(dialogs.messages[0].text, form->text(20));
    EXPECT_FALSE(link.isActive());
}

TEST_F(NetFormTest, PortWithLettersBecomes81) {
    open();
    typeTarget("192.168.1", "8x1", "");
    connectWith("zep4");
    EXPECT_EQ(child<QLineEdit>("Edit13")->text(), "81");
}

TEST_F(NetFormTest, ConnectsToTheSimulatorLogsInAndCloses) {
    open();
    typeTarget("127.000.0.1", QString::number(simulator.port()), "");
    QSignalSpy checked(&form->procedure(), &TLoginProcedure::versionChecked);
    connectWith("zep4");
    ASSERT_TRUE(checked.wait(5000));
    EXPECT_FALSE(form->isVisible());  // the window closes once the version is checked
    EXPECT_TRUE(link.isActive());
    EXPECT_EQ(form->statusText(), LinkBuiltinText(41));
    EXPECT_TRUE(dialogs.messages.empty());

    // Opened again while connected: the status says so; Disconnect closes the link.
    form->show();
    EXPECT_EQ(form->statusText(), form->text(15));
    QSignalSpy gone(&link, &TLink::disconnected);
    click("FlatSpeedButton2");
    EXPECT_FALSE(link.isActive());
    EXPECT_EQ(form->statusText(), LinkBuiltinText(43));
}

TEST_F(NetFormTest, InvalidAddressWithANameServerGoesToTheNameServer) {
    open();
    // The name server field is looked up as a host name; a dotted address needs no hosts file.
    typeTarget("10.0.0.256", QString::number(simulator.port()), "127.0.0.1");
    QSignalSpy connected(&simulator, &sim::TSensorSimulator::clientConnected);
    connectWith("zep4");
    ASSERT_TRUE(connected.wait(5000));
}

TEST_F(NetFormTest, WrongPasswordIsReportedAndTheLinkCloses) {
    open();
    typeTarget("127.0.0.1", QString::number(simulator.port()), "");
    QSignalSpy refused(&form->procedure(), &TLoginProcedure::loginRefused);
    connectWith("wrong");
    ASSERT_TRUE(refused.wait(5000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, form->text(22));
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Information);
    EXPECT_FALSE(link.isActive());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(NetFormTest, OldFirmwareIsWarnedAndTheConnectionStays) {
    sim::TSimulatorOptions options = simulator.options();
    options.versionText = "V3.49";
    simulator.setOptions(options);
    open();
    typeTarget("127.0.0.1", QString::number(simulator.port()), "");
    QSignalSpy checked(&form->procedure(), &TLoginProcedure::versionChecked);
    connectWith("zep4");
    ASSERT_TRUE(checked.wait(5000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, form->text(34) + " 3.50!");
    EXPECT_TRUE(link.isActive());
}

TEST_F(NetFormTest, ConnectWithUseComOnIsRefused) {
    open();
    link.useSerialLink = true;
    click("FlatSpeedButton1");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, form->text(17));
    EXPECT_FALSE(child("Panel2")->isVisible());
}
