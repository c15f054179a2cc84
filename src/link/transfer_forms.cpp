#include "link/transfer_forms.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "setup/setup_store.h"
#include "ui/language.h"

namespace zep4 {
namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// Captions and labels both windows have at the same lines: the caption, the four camera
// buttons and "1 - 4", then the three action buttons in the order given, then the labels.
std::vector<TTextEntry> commonTexts(const std::array<const char*, 3>& actions, int labels) {
    using T = TextTarget;
    std::vector<TTextEntry> t{{1, {}, T::Caption}};
    for (int i = 0; i < 5; ++i) t.push_back({2 + i, QStringLiteral("FlatSpeedButton%1").arg(i + 1), T::Caption});
    for (int i = 0; i < 3; ++i) t.push_back({7 + i, QString::fromLatin1(actions[i]), T::Caption});
    for (int i = 0; i < labels; ++i) t.push_back({10 + i, QStringLiteral("Label%1").arg(i + 1), T::Caption});
    return t;
}

// The status texts, lines first..last, with their built-in English wording.
std::vector<TTextEntry> withMessages(std::vector<TTextEntry> t, int first, int last, QString (*builtin)(int)) {
    for (int line = first; line <= last; ++line) t.push_back({line, {}, TextTarget::Message, 0, 0, builtin(line)});
    return t;
}

}  // namespace

// ---------------------------------------------------------------------------------------

TTransferForm::TTransferForm(TSetupStore& store, const QString& section, std::vector<TTextEntry> texts, QWidget* parent)
    : QDialog(parent), store_(store), texts_(section, std::move(texts)) {
    setModal(true);
}

void TTransferForm::buildControls(QPushButton* cameraSetup, QPushButton* wholeSetup, QLayout* extraRow) {
    auto* top = new QVBoxLayout(this);
    auto* cameras = new QHBoxLayout;
    cameras->addWidget(label(this, "Label1", QStringLiteral("Kamera:")));
    for (int c = 0; c < 4; ++c) {
        QPushButton* b = button(this, QStringLiteral("FlatSpeedButton%1").arg(c + 1), QString::number(c + 1));
        b->setCheckable(true);
        b->setFixedWidth(40);
        // A chosen camera must be plain to see at a glance.
        b->setStyleSheet(QStringLiteral("QPushButton:checked { background: #2f6fc9; color: white; font-weight: bold; }"));
        connect(b, &QPushButton::clicked, this, &TTransferForm::FlatSpeedButton1Click);
        cameras->addWidget(b);
        cameraButtons_[c] = b;
    }
    QPushButton* all = button(this, QStringLiteral("FlatSpeedButton5"), QStringLiteral("1 - 4"));
    connect(all, &QPushButton::clicked, this, &TTransferForm::FlatSpeedButton5Click);
    cameras->addWidget(all);
    cameras->addStretch();
    top->addLayout(cameras);

    auto* actions = new QHBoxLayout;
    actions->addWidget(cameraSetup);
    actions->addWidget(wholeSetup);
    top->addLayout(actions);
    if (extraRow) top->addLayout(extraRow);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(label(this, "Label2", QStringLiteral("Fortschritt:")));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("FlatProgressBar1"));
    progress_->setRange(0, 16);
    progress_->setValue(0);
    progress_->setFormat(QStringLiteral("%v / %m"));
    progressRow->addWidget(progress_, 1);
    top->addLayout(progressRow);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    QPushButton* close = button(this, QStringLiteral("FlatSpeedButton8"), QStringLiteral("Schließen"));
    connect(close, &QPushButton::clicked, this, &TTransferForm::FlatSpeedButton8Click);
    closeRow->addWidget(close);
    top->addLayout(closeRow);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    top->addWidget(statusBar_);
    setMinimumWidth(440);
    cameraButtons_[0]->setChecked(true);
}

void TTransferForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect main = parentWidget()->geometry();
        move(main.x() + (main.width() - width()) / 2, main.y() + 71);
    }
    setStatus(QString());
    setProgress(0);
    releaseCameraButtons();
    pressCurrentCamera();
}

QString TTransferForm::statusText() const { return statusBar_->currentMessage(); }
int TTransferForm::progressValue() const { return progress_->value(); }

std::array<bool, 4> TTransferForm::chosenCameras() const {
    std::array<bool, 4> chosen{};
    for (int c = 0; c < 4; ++c) chosen[c] = cameraButtons_[c]->isChecked();
    return chosen;
}

void TTransferForm::setStatus(const QString& text) { statusBar_->showMessage(text); }
void TTransferForm::setProgress(int value) { progress_->setValue(value); }

void TTransferForm::releaseCameraButtons() {
    for (QPushButton* b : cameraButtons_) b->setChecked(false);
}

void TTransferForm::pressCurrentCamera() {
    const int c = store_.CurrentCamera;
    if (c >= 0 && c < 4) cameraButtons_[c]->setChecked(true);
}

void TTransferForm::FlatSpeedButton1Click() {
    setStatus(QString());
    setProgress(0);
}

void TTransferForm::FlatSpeedButton5Click() {
    for (QPushButton* b : cameraButtons_) b->setChecked(true);
    FlatSpeedButton1Click();
}

void TTransferForm::FlatSpeedButton8Click() { reject(); }

template <typename Procedure>
void TTransferForm::follow(Procedure& procedure, const TStatusLines& lines, QTimer& closeTimer) {
    using P = Procedure;
    connect(&procedure, &P::nothingChosen, this, [this, lines] { setStatus(text(lines.nothingChosen)); });
    connect(&procedure, &P::progress, this, &TTransferForm::setProgress);
    connect(&procedure, &P::imageStarted, this, [this, lines](int image) {
        setStatus(image == kGlobalImage ? text(lines.globalImage) : text(lines.cameraImage) + QString::number(image + 1));
    });
    connect(&procedure, &P::finished, this, [this, lines, &closeTimer] {
        setStatus(text(lines.success));
        closeTimer.start();
    });
    connect(&procedure, &P::failed, this, [this](typename P::Failure failure) {
        setStatus(text(StatusLine(failure)));
        setProgress(0);
        releaseCameraButtons();
    });
}

void TTransferForm::closeAfter(QTimer& timer) {
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this] {
        if (isVisible()) accept();
    });
}

// ---------------------------------------------------------------------------------------

TSendForm::TSendForm(TLink& link, TSetupStore& store, TLanguage& language, QWidget* parent)
    : TTransferForm(store, QStringLiteral("SEND"),
                    withMessages(commonTexts({"FlatSpeedButton6", "FlatSpeedButton7", "FlatSpeedButton8"}, 3), 13, 18,
                                 TransmitBuiltinText),
                    parent),
      procedure_(link, store) {
    setObjectName(QStringLiteral("SendForm"));
    setWindowTitle(QStringLiteral("PC --> ZEP 4"));
    QPushButton* cameraSetup = button(this, QStringLiteral("FlatSpeedButton6"), QStringLiteral("Kamera-Setup  senden"));
    QPushButton* wholeSetup = button(this, QStringLiteral("FlatSpeedButton7"), QStringLiteral("Gesamtes Setup senden"));
    connect(cameraSetup, &QPushButton::clicked, this, &TSendForm::FlatSpeedButton6Click);
    connect(wholeSetup, &QPushButton::clicked, this, &TSendForm::FlatSpeedButton7Click);
    auto* statisticsRow = new QHBoxLayout;
    statisticsRow->addWidget(label(this, "Label3", QStringLiteral("Statistik löschen:")));
    for (int c = 0; c < 4; ++c) {
        statistics_[c] = new QCheckBox(QStringLiteral("%1.").arg(c + 1), this);
        statistics_[c]->setObjectName(QStringLiteral("FlatCheckBox%1").arg(c + 1));
        statisticsRow->addWidget(statistics_[c]);
    }
    statisticsRow->addStretch();
    buildControls(cameraSetup, wholeSetup, statisticsRow);

    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(1500);
    closeAfter(Timer2);

    follow(procedure_, {18, 14, 15, 17}, Timer2);
    language.attach(this, texts_);
}

void TSendForm::showEvent(QShowEvent* event) {
    for (QCheckBox* box : statistics_) box->setChecked(false);
    procedure_.resetTransmit();
    TTransferForm::showEvent(event);
    procedure_.sendWindowShown = true;
}

void TSendForm::start(bool wholeSetup) {
    std::array<bool, 4> clear{};
    for (int c = 0; c < 4; ++c) clear[c] = statistics_[c]->isChecked();
    setStatus(QString());
    procedure_.startTransmit(chosenCameras(), wholeSetup, clear);
}

void TSendForm::FlatSpeedButton6Click() { start(false); }
void TSendForm::FlatSpeedButton7Click() { start(true); }

void TSendForm::done(int result) {
    // A transfer still running is abandoned: nothing more is sent.
    procedure_.sendWindowShown = false;
    procedure_.resetTransmit();
    Timer2.stop();
    for (QCheckBox* box : statistics_) box->setChecked(false);
    TTransferForm::done(result);
}

// ---------------------------------------------------------------------------------------

TReceiveForm::TReceiveForm(TLink& link, TSetupStore& store, TLanguage& language, QWidget* parent)
    : TTransferForm(store, QStringLiteral("RECEIVE"),
                    withMessages(commonTexts({"FlatSpeedButton7", "FlatSpeedButton6", "FlatSpeedButton8"}, 2), 12, 19,
                                 ReceiveBuiltinText),
                    parent),
      procedure_(link, store) {
    setObjectName(QStringLiteral("ReceiveForm"));
    setWindowTitle(QStringLiteral("ZEP ---> PC"));
    QPushButton* cameraSetup = button(this, QStringLiteral("FlatSpeedButton7"), QStringLiteral("Kamera-Setup laden"));
    cameraSetup->setToolTip(QStringLiteral("Receive setup"));
    QPushButton* wholeSetup = button(this, QStringLiteral("FlatSpeedButton6"), QStringLiteral("Gesamtes Setup laden"));
    connect(cameraSetup, &QPushButton::clicked, this, &TReceiveForm::FlatSpeedButton7Click);
    connect(wholeSetup, &QPushButton::clicked, this, &TReceiveForm::FlatSpeedButton6Click);
    buildControls(cameraSetup, wholeSetup, nullptr);

    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer4.setInterval(600);
    closeAfter(Timer4);

    follow(procedure_, {19, 13, 12, 16}, Timer4);
    language.attach(this, texts_);
}

void TReceiveForm::showEvent(QShowEvent* event) {
    TTransferForm::showEvent(event);
    procedure_.receiveWindowShown = true;
}

void TReceiveForm::FlatSpeedButton7Click() {
    setStatus(QString());
    procedure_.startReceive(chosenCameras(), false);
}

void TReceiveForm::FlatSpeedButton6Click() {
    setStatus(QString());
    procedure_.startReceive(chosenCameras(), true);
}

void TReceiveForm::done(int result) {
    procedure_.receiveWindowShown = false;
    procedure_.resetReceive();
    Timer4.stop();
    TTransferForm::done(result);
    emit closed();
}

}  // namespace zep4
