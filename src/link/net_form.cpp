#include "link/net_form.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QHostInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "link/link.h"
#include "ui/dialogs.h"
#include "ui/language.h"

namespace zep4 {
namespace {

std::vector<TTextEntry> netTexts() {
    using T = TextTarget;
    std::vector<TTextEntry> t;
    const char* buttons[] = {"FlatSpeedButton4", "FlatSpeedButton3", "FlatSpeedButton5", "FlatSpeedButton1",
                             "FlatSpeedButton2", "FlatSpeedButton6", "FlatSpeedButton7", "FlatSpeedButton8",
                             "FlatSpeedButton9", "SpeedButton2"};
    for (int i = 0; i < 10; ++i) t.push_back({i + 1, buttons[i], T::Caption});
    t.push_back({11, {}, T::Caption});
    for (int c = 0; c < 3; ++c) t.push_back({12 + c, "StringGrid1", T::GridCell, c, 0});
    const std::pair<int, const char*> messages[] = {
        {15, "Connected"},
        {16, "Not connected"},
        {17, "\"Use COM\" is switched on. Switch it off to connect over TCP/IP."},
        {18, "Delete the selected entry?"},
        {20, "Please enter a valid IP address or a name server!"},
        {21, "No login reply from the sensor (time-out)!"},
        {22, "Login refused by the sensor. Please check the password!"},
        {34, "The sensor firmware is older than version"},
        {35, "No reply to the version query (time-out)!"},
        {36, "No connection to the sensor (time-out)!"}};
    for (auto [line, builtin] : messages) t.push_back({line, {}, T::Message, 0, 0, QString::fromUtf8(builtin)});
    const std::pair<int, const char*> labels[] = {{23, "Label6"},  {24, "Label4"},  {25, "Label5"}, {26, "Label17"},
                                                  {27, "Label14"}, {28, "Label16"}, {29, "Label13"}, {31, "Label7"},
                                                  {32, "Label18"}, {33, "Label1"}};
    for (auto [line, name] : labels) t.push_back({line, name, T::Caption});
    t.push_back({30, "StringGrid1", T::GridCell, 3, 0});
    return t;
}

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.c_str()); }
std::string toUtf8(const QString& s) { return s.toStdString(); }

}  // namespace

TNetForm::TNetForm(TLink& link, TDialogs& dialogs, TLanguage& language,
                   std::function<std::filesystem::path()> startDirectory, QWidget* parent)
    : QDialog(parent),
      link_(link),
      dialogs_(dialogs),
      startDirectory_(std::move(startDirectory)),
      procedure_(link),
      texts_(QStringLiteral("NET"), netTexts()),
      firmTexts_(QStringLiteral("FIRM"),
                 {TTextEntry{35, {}, TextTarget::Message, 0, 0, QStringLiteral("Invalid reply from the sensor!")}}) {
    setObjectName(QStringLiteral("NetForm"));
    setWindowTitle(QStringLiteral("Communication"));
    setModal(true);

    auto* top = new QVBoxLayout(this);

    // Address book.
    top->addWidget(label(this, "Label1", QStringLiteral("Address book")));
    grid_ = new QTableWidget(1, 5, this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("IP"), QStringLiteral("Port"),
                                      QStringLiteral("Nameserver"), QStringLiteral("User")});
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    const int widths[] = {100, 100, 59, 138, 100};
    for (int c = 0; c < 5; ++c) grid_->setColumnWidth(c, widths[c]);
    // The user column belongs to dial-up networking, which this program does not offer;
    // its contents are kept in the file.
    grid_->setColumnHidden(4, true);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumHeight(150);
    top->addWidget(grid_);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &TNetForm::StringGrid1Click);
    connect(grid_, &QTableWidget::cellClicked, this, &TNetForm::StringGrid1Click);

    auto* bookButtons = new QHBoxLayout;
    QPushButton* b4 = button(this, "FlatSpeedButton4", QStringLiteral("New"));
    QPushButton* b3 = button(this, "FlatSpeedButton3", QStringLiteral("Edit"));
    QPushButton* b5 = button(this, "FlatSpeedButton5", QStringLiteral("Delete"));
    for (auto* b : {b4, b3, b5}) bookButtons->addWidget(b);
    bookButtons->addStretch();
    top->addLayout(bookButtons);
    connect(b4, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton4Click);
    connect(b3, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton3Click);
    connect(b5, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton5Click);

    // Entry editor, shown by New and Edit.
    panel3_ = new QGroupBox(this);
    panel3_->setObjectName(QStringLiteral("Panel3"));
    auto* p3 = new QGridLayout(panel3_);
    edit5_ = lineEdit(panel3_, "Edit5");
    edit4_ = lineEdit(panel3_, "Edit4");
    edit3_ = lineEdit(panel3_, "Edit3");
    edit7_ = lineEdit(panel3_, "Edit7");
    edit9_ = lineEdit(panel3_, "Edit9");
    edit9_->hide();
    p3->addWidget(label(panel3_, "Label5", QStringLiteral("Name:")), 0, 0);
    p3->addWidget(edit5_, 0, 1);
    p3->addWidget(label(panel3_, "Label4", QStringLiteral("IP:")), 0, 2);
    p3->addWidget(edit4_, 0, 3);
    p3->addWidget(label(panel3_, "Label16", QStringLiteral("Port:")), 1, 0);
    p3->addWidget(edit3_, 1, 1);
    p3->addWidget(label(panel3_, "Label7", QStringLiteral("Nameserver:")), 1, 2);
    p3->addWidget(edit7_, 1, 3);
    label(panel3_, "Label18", QStringLiteral("User:"))->hide();
    QPushButton* b6 = button(panel3_, "FlatSpeedButton6", QStringLiteral("Accept"));
    QPushButton* b7 = button(panel3_, "FlatSpeedButton7", QStringLiteral("Abort"));
    auto* p3buttons = new QHBoxLayout;
    p3buttons->addStretch();
    p3buttons->addWidget(b6);
    p3buttons->addWidget(b7);
    p3->addLayout(p3buttons, 2, 0, 1, 4);
    connect(b6, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton6Click);
    connect(b7, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton7Click);
    panel3_->hide();
    top->addWidget(panel3_);

    // The address "Connect" uses.
    auto* target = new QGridLayout;
    edit6_ = lineEdit(this, "Edit6");
    edit13_ = lineEdit(this, "Edit13");
    edit14_ = lineEdit(this, "Edit14");
    edit13_->setText(QStringLiteral("81"));
    edit13_->setMaximumWidth(70);
    target->addWidget(label(this, "Label6", QStringLiteral("IP:")), 0, 0);
    target->addWidget(edit6_, 0, 1);
    target->addWidget(label(this, "Label13", QStringLiteral("Port")), 0, 2);
    target->addWidget(edit13_, 0, 3);
    target->addWidget(label(this, "Label14", QStringLiteral("Nameserver:")), 1, 0);
    target->addWidget(edit14_, 1, 1, 1, 3);
    top->addLayout(target);

    auto* connectButtons = new QHBoxLayout;
    QPushButton* b1 = button(this, "FlatSpeedButton1", QStringLiteral("Connect"));
    QPushButton* b2 = button(this, "FlatSpeedButton2", QStringLiteral("Disconnect"));
    connectButtons->addWidget(b1);
    connectButtons->addWidget(b2);
    connectButtons->addStretch();
    top->addLayout(connectButtons);
    connect(b1, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton1Click);
    connect(b2, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton2Click);

    // Password prompt, shown by Connect.
    panel2_ = new QGroupBox(this);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    auto* p2 = new QHBoxLayout(panel2_);
    edit10_ = lineEdit(panel2_, "Edit10");
    edit10_->setEchoMode(QLineEdit::Password);
    edit10_->installEventFilter(this);
    QPushButton* b8 = button(panel2_, "FlatSpeedButton8", QStringLiteral("Continue"));
    QPushButton* b9 = button(panel2_, "FlatSpeedButton9", QStringLiteral("Abort"));
    p2->addWidget(label(panel2_, "Label17", QStringLiteral("Password ZEP-4:")));
    p2->addWidget(edit10_);
    p2->addWidget(b8);
    p2->addWidget(b9);
    connect(b8, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton8Click);
    connect(b9, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton9Click);
    panel2_->hide();
    top->addWidget(panel2_);

    auto* bottom = new QHBoxLayout;
    QPushButton* b11 = button(this, "FlatSpeedButton11", QStringLiteral("PC-Info"));
    label15_ = label(this, "Label15", QString());
    label15_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* close = button(this, "SpeedButton2", QStringLiteral("Close"));
    bottom->addWidget(b11);
    bottom->addWidget(label15_, 1);
    bottom->addWidget(close);
    top->addLayout(bottom);
    connect(b11, &QPushButton::clicked, this, &TNetForm::FlatSpeedButton11Click);
    connect(close, &QPushButton::clicked, this, &TNetForm::SpeedButton2Click);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    top->addWidget(statusBar_);
    resize(560, 460);

    language.attach(this, texts_);
    language.attach(this, firmTexts_);

    connect(&link_, &TLink::connected, this, [this] { setStatusText(link_.text(41)); });
    connect(&link_, &TLink::socketError, this, [this](int, const QString& status) { setStatusText(status); });
    connect(&link_, &TLink::disconnected, this, [this] { setStatusText(link_.text(43)); });
    connect(&procedure_, &TLoginProcedure::connectTimedOut, this, [this] { info(text(36)); });
    connect(&procedure_, &TLoginProcedure::loginTimedOut, this, [this] { info(text(21)); });
    connect(&procedure_, &TLoginProcedure::loginRefused, this, [this] { info(text(22)); });
    connect(&procedure_, &TLoginProcedure::versionTimedOut, this, [this] { info(text(35)); });
    connect(&procedure_, &TLoginProcedure::versionRejected, this, [this] {
        dialogs_.message(this, MessageType::Plain, MessageButtons::Ok, firmTexts_.message(35));
    });
    connect(&procedure_, &TLoginProcedure::versionChecked, this, [this](const QString&, bool old) {
        if (old) info(text(34) + QStringLiteral(" 3.50!"));
        if (isVisible()) accept();
    });
}

void TNetForm::info(const QString& text) { dialogs_.message(this, MessageType::Information, MessageButtons::Ok, text); }

QString TNetForm::statusText() const { return statusBar_->currentMessage(); }

void TNetForm::setStatusText(const QString& text) { statusBar_->showMessage(text); }

void TNetForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    FormActivate();
}

void TNetForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TNetForm::FormShow() {
    if (parentWidget()) {
        const QRect main = parentWidget()->geometry();
        move(main.x() + (main.width() - width()) / 2, main.y() + 71);
    }
    procedure_.loginBusy = false;
    procedure_.Timer2.stop();
    // The address book is read when the window opens. Reading it again at every activation
    // would throw away the entries edited since, as soon as a message box had closed.
    panel3_->hide();
    loadGrid(LoadAddressBook(startDirectory_()));
}

void TNetForm::FormActivate() { setStatusText(link_.isActive() ? text(15) : text(16)); }

void TNetForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TNetForm::FormClose() {
    std::string error;
    if (!SaveAddressBook(startDirectory_(), gridEntries(), error))
        dialogs_.message(this, MessageType::Error, MessageButtons::Ok,
                         QStringLiteral("The address book cannot be saved: %1.").arg(QString::fromStdString(error)));
}

void TNetForm::loadGrid(const std::vector<TAddressEntry>& entries) {
    grid_->setRowCount(std::max<int>(1, static_cast<int>(entries.size())));
    for (int r = 0; r < grid_->rowCount(); ++r) setRow(r, r < static_cast<int>(entries.size()) ? entries[r] : TAddressEntry{});
}

void TNetForm::setRow(int r, const TAddressEntry& e) {
    const std::string* fields[] = {&e.Name, &e.Address, &e.Port, &e.NameServer, &e.User};
    for (int c = 0; c < 5; ++c) grid_->setItem(r, c, new QTableWidgetItem(fromUtf8(*fields[c])));
}

TAddressEntry TNetForm::row(int r) const {
    auto cell = [&](int c) {
        const QTableWidgetItem* item = grid_->item(r, c);
        return item ? toUtf8(item->text()) : std::string();
    };
    return {cell(0), cell(1), cell(2), cell(3), cell(4)};
}

std::vector<TAddressEntry> TNetForm::gridEntries() const {
    std::vector<TAddressEntry> entries;
    for (int r = 0; r < grid_->rowCount(); ++r) entries.push_back(row(r));
    return entries;
}

void TNetForm::StringGrid1Click() {
    if (newEntryInProgress_) return;
    const int r = grid_->currentRow();
    if (r < 0) return;
    const TAddressEntry e = row(r);
    edit6_->setText(fromUtf8(e.Address));
    edit13_->setText(fromUtf8(e.Port));
    edit14_->setText(fromUtf8(e.NameServer));
    hiddenUser_ = fromUtf8(e.User);
}

void TNetForm::FlatSpeedButton4Click() {
    newEntryInProgress_ = true;
    const int r = grid_->rowCount();
    grid_->setRowCount(r + 1);
    setRow(r, {});
    grid_->setCurrentCell(r, 0);
    for (QLineEdit* e : {edit5_, edit4_, edit3_, edit7_, edit9_}) e->clear();
    panel3_->show();
    edit5_->setFocus();
    newEntryInProgress_ = false;
}

void TNetForm::FlatSpeedButton3Click() {
    const int r = std::max(0, grid_->currentRow());
    const TAddressEntry e = row(r);
    edit5_->setText(fromUtf8(e.Name));
    edit4_->setText(fromUtf8(e.Address));
    edit3_->setText(fromUtf8(e.Port));
    edit7_->setText(fromUtf8(e.NameServer));
    edit9_->setText(fromUtf8(e.User));
    panel3_->show();
    edit5_->setFocus();
}

void TNetForm::FlatSpeedButton6Click() {
    const int r = std::max(0, grid_->currentRow());
    TAddressEntry e;
    e.Name = toUtf8(edit5_->text());
    e.Address = toUtf8(edit4_->text());
    e.Port = std::to_string(ParseSensorPort(toUtf8(edit3_->text())));
    e.NameServer = toUtf8(edit7_->text());
    e.User = toUtf8(edit9_->text());
    setRow(r, e);
    panel3_->hide();
}

void TNetForm::FlatSpeedButton7Click() { panel3_->hide(); }

void TNetForm::FlatSpeedButton5Click() {
    if (dialogs_.message(this, MessageType::Warning, MessageButtons::YesAbort, text(18)) == MessageResult::Abort) return;
    if (grid_->rowCount() <= 1) return;
    grid_->removeRow(std::max(0, grid_->currentRow()));
}

void TNetForm::FlatSpeedButton1Click() {
    if (link_.useSerialLink) {
        info(text(17));
        return;
    }
    if (link_.isActive()) return;
    panel2_->show();
    edit10_->setFocus();
}

void TNetForm::FlatSpeedButton8Click() {
    if (!edit10_->text().isEmpty()) connectToSensor();
}

void TNetForm::FlatSpeedButton9Click() { panel2_->hide(); }

bool TNetForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit10_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FlatSpeedButton8Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TNetForm::connectToSensor() {
    if (link_.isActive()) return false;
    QString host = edit14_->text();
    while (host.endsWith(QLatin1Char(' '))) host.chop(1);
    QString typed = edit6_->text();
    while (typed.endsWith(QLatin1Char(' '))) typed.chop(1);
    const QString address = QString::fromStdString(NormalizeSensorAddress(typed.toStdString()));
    const int port = ParseSensorPort(edit13_->text().toStdString());
    edit13_->setText(QString::number(port));
    if (address.isEmpty() && host.isEmpty()) {
        dialogs_.message(this, MessageType::Plain, MessageButtons::Ok, text(20));
        return false;
    }
    procedure_.start(host.isEmpty() ? address : host, static_cast<quint16>(port), edit10_->text());
    panel2_->hide();
    return true;
}

void TNetForm::FlatSpeedButton2Click() {
    procedure_.cancel();
}

void TNetForm::FlatSpeedButton11Click() {
    const QString host = QHostInfo::localHostName();
    QString address;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
            address = a.toString();
            break;
        }
    if (address.isEmpty()) address = QStringLiteral("127.0.0.1");
    label15_->setText(QStringLiteral("IP: ") + address + QStringLiteral("  Host: ") + host);
}

void TNetForm::SpeedButton2Click() { reject(); }

}  // namespace zep4
