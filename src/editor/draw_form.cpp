#include "editor/draw_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "editor/perspective.h"
#include "editor/picture_stream.h"
#include "setup/setup_store.h"
#include "setup/text1252.h"
#include "ui/dialogs.h"
#include "ui/language.h"
#include "ui/picture_qt.h"

namespace zep4 {
namespace {

// Window layout in client pixels.
constexpr int kClientWidth = 992;
constexpr int kClientHeight = 625;
constexpr int kPanelLeft = 40;
constexpr int kPanelTop = 35;
constexpr int kPanelWidth = 724;
constexpr int kPanelHeight = 544;
constexpr int kPictureInset = 2;  // the picture sits inside the panel's 2-pixel border
constexpr int kToolSize = 32;

enum Mode { kObjectMode = 0, kPerspectiveMode = 1, kAreaMode = 2 };

enum class Glyph { Rectangle, Polygon, SetAll, Delete, ShowAlarm, ShowAll, AlarmCells, Text, Objects, Unused,
                   GetPicture, StartTest, Freeze, StopTest };

QIcon makeGlyph(Glyph kind) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 50, 70);
    auto dots = [&p](const std::vector<QColor>& colours) {
        p.setPen(Qt::NoPen);
        int n = 0;
        for (int y = 5; y <= 19; y += 7)
            for (int x = 5; x <= 19; x += 7) {
                p.setBrush(colours[size_t(n++) % colours.size()]);
                p.drawEllipse(QPointF(x, y), 2.2, 2.2);
            }
    };
    switch (kind) {
    case Glyph::Rectangle:
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(255, 0, 0, 90));
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case Glyph::Polygon:
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(255, 0, 0, 90));
        p.drawPolygon(QPolygonF{{3, 19}, {8, 4}, {20, 8}, {15, 13}, {21, 20}});
        break;
    case Glyph::SetAll:
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(255, 0, 0));
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setPen(QPen(Qt::white, 1));
        for (int v = 9; v <= 15; v += 6) {
            p.drawLine(QPointF(v, 4), QPointF(v, 20));
            p.drawLine(QPointF(4, v), QPointF(20, v));
        }
        break;
    case Glyph::Delete:
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 7), QPointF(17, 17));
        p.drawLine(QPointF(17, 7), QPointF(7, 17));
        break;
    case Glyph::ShowAlarm: dots({QColor(255, 0, 0)}); break;
    case Glyph::ShowAll:
        dots({QColor(255, 0, 0), QColor(0, 200, 0), QColor(0, 0, 255), QColor(230, 200, 0)});
        break;
    case Glyph::AlarmCells: dots({QColor(252, 156, 51)}); break;
    case Glyph::Text: {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(18);
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("T"));
        break;
    }
    case Glyph::Objects:
        p.setPen(QPen(QColor(0, 180, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{{3, 20}, {8, 14}, {12, 16}, {17, 8}, {21, 4}});
        p.setPen(QPen(QColor(255, 0, 0), 1.5));
        p.drawLine(QPointF(14, 11), QPointF(20, 11));
        p.drawLine(QPointF(17, 8), QPointF(17, 14));
        break;
    case Glyph::Unused:
        p.setPen(QPen(QColor(150, 150, 150), 2));
        p.drawEllipse(QRectF(5, 5, 14, 14));
        break;
    case Glyph::GetPicture:
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(90, 100, 120));
        p.drawRoundedRect(QRectF(2, 7, 20, 13), 2, 2);
        p.drawRect(QRectF(7, 4, 8, 4));
        p.setBrush(QColor(170, 200, 240));
        p.drawEllipse(QPointF(12, 13.5), 4, 4);
        break;
    case Glyph::StartTest:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygonF{{6, 4}, {20, 12}, {6, 20}});
        break;
    case Glyph::Freeze:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
        break;
    case Glyph::StopTest:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawRect(QRectF(6, 6, 12, 12));
        break;
    }
    return QIcon(pixmap);
}

QToolButton* speedButton(QWidget* parent, const char* name, const QRect& geometry, bool toggle) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setCheckable(toggle);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QListWidget* dropDownList(QWidget* parent, const char* name, const QRect& geometry, const QStringList& items) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(geometry);
    list->addItems(items);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->hide();
    return list;
}

QString colourSheet(const QColor& background, bool checkedFrame) {
    const int luminance = (299 * background.red() + 587 * background.green() + 114 * background.blue()) / 1000;
    const QColor text = luminance < 128 ? Qt::white : Qt::black;
    QString sheet = QStringLiteral("QToolButton { background-color: %1; color: %2; border: 1px solid #606060; }")
                        .arg(background.name(), text.name());
    if (checkedFrame) sheet += QStringLiteral(" QToolButton:checked { border: 3px solid black; }");
    return sheet;
}

// The camera name of a record: at most its 24 characters, up to the first zero, converted
// from Windows-1252.
QString cameraName(const TCameraSetup& camera) {
    const char* name = camera.CameraName;
    const size_t length = strnlen(name, kCameraNameSize - 1);
    const std::string utf8 = cp1252ToUtf8(std::string_view(name, length));
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

int modeOf(const TAreaSetup& area) {
    if (area.ObjectDetection != 0 && area.PerspectiveMode != 0) return kPerspectiveMode;
    if (area.ObjectDetection != 0) return kObjectMode;
    return kAreaMode;
}

std::vector<TTextEntry> drawTexts() {
    using T = TextTarget;
    std::vector<TTextEntry> t{{1, "SpeedButton3", T::Caption},
                              {4, "FlatSpeedButton26", T::Caption},
                              {5, "FlatSpeedButton1", T::Hint},
                              {6, "FlatSpeedButton15", T::Hint},
                              {7, "FlatSpeedButton25", T::Hint}};
    const char* hints[] = {"FlatSpeedButton6",  "FlatSpeedButton26", "FlatSpeedButton7",  "FlatSpeedButton8",
                           "FlatSpeedButton9",  "FlatSpeedButton10", "FlatSpeedButton18", "FlatSpeedButton11",
                           "FlatSpeedButton12", "FlatSpeedButton14", "FlatSpeedButton17", "FlatSpeedButton16",
                           "FlatSpeedButton22", "FlatSpeedButton21", "FlatSpeedButton23"};
    for (int i = 0; i < 15; ++i) t.push_back({10 + i, hints[i], T::Hint});
    const char* captions[] = {"Label2",  "Label26", "Label3",  "Label32", "Label1",  "Label21", "Label4",
                              "CheckBox3", "CheckBox4", "Label38", "Label39", "Label40", "Label41", "Label42",
                              "Label45", "FlatSpeedButton24"};
    for (int i = 0; i < 16; ++i) t.push_back({25 + i, captions[i], T::Caption});
    t.push_back({41, "FlatSpeedButton24", T::Hint});
    t.push_back({42, "FlatCheckBox2", T::Caption});
    t.push_back({43, "Label6", T::Caption});
    t.push_back({44, "Label12", T::Caption});
    t.push_back({45, "Label11", T::Caption});
    t.push_back({46, "FlatCheckBox3", T::Caption});
    for (int i = 0; i < 3; ++i) t.push_back({47 + i, "ListBox3", T::ListItem, i});
    for (int i = 0; i < 4; ++i) t.push_back({50 + i, "ListBox2", T::ListItem, i});
    const std::pair<int, const char*> messages[] = {
        {54, "Delete the current area?"}, {55, "Set all fields of the current area?"},
        {56, "Max."}, {57, "cells"}, {58, "Min."}, {59, "Camera:"}, {60, "Size:"},
        {61, "Time stamp:"}, {62, "bytes"}};
    for (auto [line, builtin] : messages) t.push_back({line, {}, T::Message, 0, 0, QString::fromUtf8(builtin)});
    t.push_back({63, {}, T::Caption});
    t.push_back({64, "Label7", T::Caption});
    t.push_back({65, "FlatSpeedButton13", T::Hint});
    for (int i = 0; i < 4; ++i) t.push_back({66 + i, QStringLiteral("FlatSpeedButton%1").arg(i + 2), T::Hint});
    t.push_back({70, "Label8", T::Caption});
    t.push_back({71, "CheckBox1", T::Caption});
    t.push_back({72, "CheckBox2", T::Caption});
    return t;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TDrawForm::TDrawForm(TSetupStore& store, TDialogs& dialogs, TLanguage& language, QWidget* parent)
    : QWidget(parent), store_(store), dialogs_(dialogs), texts_(QStringLiteral("DRAW"), drawTexts()) {
    setObjectName(QStringLiteral("DrawForm"));
    setWindowTitle(QStringLiteral("Editor"));
    resize(kClientWidth, kClientHeight);
    setMinimumSize(kClientWidth, kClientHeight);

    buildPicturePanel();
    buildTopBar();
    buildToolColumn();
    buildBottomBar();
    buildRightSide();
    buildShapes();
    // The drop-down lists and the area buttons lie above everything on the picture.
    areaPanel_->raise();
    cameraList_->raise();
    timeZoneList_->raise();
    modeList_->raise();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TDrawForm::Timer1Timer);
    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer4.setInterval(5000);
    connect(&Timer4, &QTimer::timeout, this, &TDrawForm::Timer4Timer);
    Timer5.setObjectName(QStringLiteral("Timer5"));
    Timer5.setInterval(500);
    Timer5.setSingleShot(true);

    // Undo and redo while the focus is anywhere in the editor.
    const std::pair<QKeySequence, void (TDrawForm::*)()> undoKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), &TDrawForm::undo},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), &TDrawForm::redo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TDrawForm::redo}};
    for (const auto& [keys, slot] : undoKeys) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
        undoShortcuts_.push_back(shortcut);
    }

    // Key preview: Esc anywhere in the window, whichever control has the focus.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setObjectName(QStringLiteral("EscShortcut"));
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] { FormKeyPress(27); });

    Tool = 0;
    Updating = true;
    image_->setImage(QImage());

    language.attach(this, texts_);
    connect(&language, &TLanguage::applied, this, &TDrawForm::applyTexts);
    applyTexts();
}

TDrawForm::~TDrawForm() = default;

void TDrawForm::buildTopBar() {
    cameraButton_ = speedButton(this, "FlatSpeedButton1", QRect(kPanelLeft, 5, 156, 25), false);
    cameraButton_->setAutoRaise(false);
    connect(cameraButton_, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton1Click);

    timeZoneButton_ = speedButton(this, "FlatSpeedButton15", QRect(kPanelLeft + 160, 5, 106, 25), false);
    timeZoneButton_->setAutoRaise(false);
    timeZoneButton_->setText(QStringLiteral("Timezone"));
    connect(timeZoneButton_, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton15Click);

    actualAreaButton_ = speedButton(this, "FlatSpeedButton25", QRect(kPanelLeft + 272, 5, 100, 25), false);
    actualAreaButton_->setAutoRaise(false);
    actualAreaButton_->setText(QStringLiteral("actual Area"));
    connect(actualAreaButton_, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton25Click);

    QToolButton* details = speedButton(this, "SpeedButton3", QRect(kPanelLeft + 380, 5, 80, 25), false);
    details->setAutoRaise(false);
    details->setText(QStringLiteral("Details"));
    // The sensor options window is not part of the program yet.
    details->setEnabled(false);
    connect(details, &QToolButton::clicked, this, &TDrawForm::SpeedButton3Click);

    channelActive_ = new QCheckBox(QStringLiteral("Kanal aktiv"), this);
    channelActive_->setObjectName(QStringLiteral("FlatCheckBox2"));
    channelActive_->setGeometry(kPanelLeft + 472, 5, 140, 25);
    connect(channelActive_, &QCheckBox::clicked, this, &TDrawForm::FlatCheckBox2Click);
}

void TDrawForm::buildPicturePanel() {
    picturePanel_ = new QFrame(this);
    picturePanel_->setObjectName(QStringLiteral("PicturePanel"));
    picturePanel_->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight);
    picturePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picturePanel_->setLineWidth(kPictureInset);

    const QRect picture(kPictureInset, kPictureInset, kPictureWidth, kPictureHeight);
    image_ = new TImageBox(QStringLiteral("Image1"), picturePanel_);
    image_->setGeometry(picture);

    editOverlay_ = new TPaintBox(QStringLiteral("PaintBox1"), picturePanel_);
    editOverlay_->setGeometry(picture);
    editOverlay_->setCursor(Qt::CrossCursor);
    // A click on the picture brings the focus into the window, so that Esc reaches it.
    editOverlay_->setFocusPolicy(Qt::ClickFocus);
    editOverlay_->onPaint = [this](QPainter& p) { paintEditOverlay(p); };
    connect(editOverlay_, &TPaintBox::mouseDown, this, &TDrawForm::PaintBox1MouseDown);
    connect(editOverlay_, &TPaintBox::mouseMove, this, &TDrawForm::PaintBox1MouseMove);
    connect(editOverlay_, &TPaintBox::mouseUp, this, &TDrawForm::PaintBox1MouseUp);

    // The test overlay shows what the sensor reports with each live picture; it is visible
    // only in live test mode and takes no mouse input.
    testOverlay_ = new TPaintBox(QStringLiteral("PaintBox2"), picturePanel_);
    testOverlay_->setGeometry(picture);
    testOverlay_->setAttribute(Qt::WA_TransparentForMouseEvents);
    testOverlay_->onPaint = [this](QPainter& p) { paintTestOverlay(p); };
    testOverlay_->hide();

    cameraList_ = dropDownList(picturePanel_, "ListBox1", QRect(kPictureInset, kPictureInset, 156, 61),
                               {QString(), QString(), QString(), QString()});
    connect(cameraList_, &QListWidget::itemClicked, this, &TDrawForm::ListBox1Click);
    cameraList_->installEventFilter(this);

    timeZoneList_ = dropDownList(picturePanel_, "ListBox2", QRect(kPictureInset + 160, kPictureInset, 106, 61),
                                 {QStringLiteral("Timezone 1"), QStringLiteral("Timezone 2"),
                                  QStringLiteral("Timezone 3"), QStringLiteral("Timezone 4")});
    connect(timeZoneList_, &QListWidget::itemClicked, this, &TDrawForm::ListBox2Click);
    timeZoneList_->installEventFilter(this);

    // The four area buttons, one above the other, under the "actual Area" button.
    areaPanel_ = new QFrame(picturePanel_);
    areaPanel_->setObjectName(QStringLiteral("AreaPanel"));
    areaPanel_->setGeometry(kPictureInset + 270, kPictureInset, 104, 4 * 26 + 4);
    areaPanel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    areaPanel_->setAutoFillBackground(true);
    areaGroup_ = new QButtonGroup(this);
    areaGroup_->setExclusive(true);
    const char* hints[] = {"Hauptalarm ", "Fläche 2", "Fläche 3", "Fläche 4"};
    for (int a = 0; a < kAreas; ++a) {
        QToolButton* b = speedButton(areaPanel_, QStringLiteral("FlatSpeedButton%1").arg(a + 2).toLatin1().constData(),
                                     QRect(2, 2 + 26 * a, 100, 24), true);
        b->setAutoRaise(false);
        b->setToolTip(QString::fromUtf8(hints[a]));
        b->setStyleSheet(colourSheet(AreaColourOf(a), true));
        areaGroup_->addButton(b, a);
        areaButtons_[size_t(a)] = b;
        connect(b, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton2Click);
    }
    areaPanel_->hide();
}

// A glyph button of the tool column or the bottom bar, with its hint and its click handler.
QToolButton* TDrawForm::toolButton(const char* name, QPoint at, int glyph, bool toggle, const char* hint,
                                   void (TDrawForm::*clicked)()) {
    QToolButton* b = speedButton(this, name, QRect(at, QSize(kToolSize, kToolSize)), toggle);
    b->setIcon(makeGlyph(static_cast<Glyph>(glyph)));
    if (hint) b->setToolTip(QString::fromUtf8(hint));
    if (clicked) connect(b, &QToolButton::clicked, this, clicked);
    return b;
}

void TDrawForm::buildToolColumn() {
    const int x = 2;
    int y = kPanelTop;
    // The next place down the column; `gap` pixels below it the following button starts.
    auto next = [x, &y](int gap = 2) {
        const QPoint at(x, y);
        y += kToolSize + gap;
        return at;
    };
    using G = Glyph;
    rectangleButton_ = toolButton("FlatSpeedButton7", next(), int(G::Rectangle), true, "Draw Rectangle",
                                  &TDrawForm::FlatSpeedButton7Click);
    polygonButton_ = toolButton("FlatSpeedButton8", next(12), int(G::Polygon), true, "Draw Polygon",
                                &TDrawForm::FlatSpeedButton8Click);
    toolButton("FlatSpeedButton9", next(), int(G::SetAll), false, "Set all fields of the area",
               &TDrawForm::FlatSpeedButton9Click);
    toolButton("FlatSpeedButton10", next(12), int(G::Delete), false, "Delete current area",
               &TDrawForm::FlatSpeedButton10Click);
    showAlarmButton_ = toolButton("FlatSpeedButton18", next(), int(G::ShowAlarm), true, "Show alarm area",
                                  &TDrawForm::FlatSpeedButton11Click);
    showAllButton_ = toolButton("FlatSpeedButton11", next(12), int(G::ShowAll), true, "Show area 1...4",
                                &TDrawForm::FlatSpeedButton11Click);

    // The test overlay's layers: each an independent toggle, read when the overlay paints.
    QToolButton* layers[] = {toolButton("FlatSpeedButton13", next(), int(G::AlarmCells), true, nullptr, nullptr),
                             toolButton("FlatSpeedButton12", next(), int(G::Text), true, nullptr, nullptr),
                             toolButton("FlatSpeedButton14", next(), int(G::Objects), true, nullptr, nullptr)};
    layers[1]->setText(QStringLiteral("T"));
    alarmCellsButton_ = layers[0];
    textButton_ = layers[1];
    objectsButton_ = layers[2];
    for (QToolButton* b : layers) connect(b, &QToolButton::toggled, testOverlay_, qOverload<>(&QWidget::update));
    toolButton("FlatSpeedButton17", next(), int(G::Unused), true, nullptr, nullptr)->setEnabled(false);
}

void TDrawForm::buildBottomBar() {
    const int y = kPanelTop + kPanelHeight + 6;
    int x = kPanelLeft;
    auto next = [&x, y](int gap = 4) {
        const QPoint at(x, y);
        x += kToolSize + gap;
        return at;
    };
    using G = Glyph;
    QToolButton* getPicture = toolButton("FlatSpeedButton16", next(), int(G::GetPicture), false, "Get Picture",
                                         &TDrawForm::FlatSpeedButton16Click);
    startTestButton_ = toolButton("FlatSpeedButton22", next(), int(G::StartTest), true, "StartTestmode",
                                  &TDrawForm::FlatSpeedButton22Click);
    startTestButton_->setStyleSheet(QStringLiteral("QToolButton:checked { background-color: rgb(0, 200, 0); }"));
    freezeButton_ = toolButton("FlatSpeedButton21", next(), int(G::Freeze), true, nullptr, nullptr);
    freezeButton_->setStyleSheet(QStringLiteral("QToolButton:checked { background-color: rgb(255, 255, 0); }"));
    // The freeze button's Down state is what the stream reads.
    connect(freezeButton_, &QToolButton::toggled, this, [this](bool down) {
        if (stream_) stream_->setFrozen(down);
    });
    QToolButton* stopTest = toolButton("FlatSpeedButton23", next(24), int(G::StopTest), false, "StoppTestmode",
                                       &TDrawForm::FlatSpeedButton23Click);
    // Without a picture stream (no link) the live buttons stay disabled.
    liveButtons_ = {getPicture, startTestButton_, freezeButton_, stopTest};
    for (QToolButton* b : liveButtons_) b->setEnabled(false);

    label(this, "CompressionLabel", QStringLiteral("Bildkompression:"), QRect(x, y + 7, 110, 18));
    x += 112;
    label(this, "CompressionMinus", QStringLiteral("-"), QRect(x, y + 7, 10, 18));
    compression_ = new GFader(QStringLiteral("GFader1"), this);
    compression_->setGeometry(x + 12, y + 4, 80, 24);
    compression_->setRange(1, 3);
    compression_->setPageStep(1);
    compression_->setValue(2);
    // A change during live test mode takes effect with the next request.
    connect(compression_, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (stream_) stream_->setCompression(value);
    });
    label(this, "CompressionPlus", QStringLiteral("+"), QRect(x + 96, y + 7, 10, 18));
}

void TDrawForm::buildRightSide() {
    const int left = kPanelLeft + kPanelWidth + 4;
    const int width = kClientWidth - left - 2;
    label(this, "ModeLabel", QStringLiteral("Betriebsmode:"), QRect(left + 2, 8, 90, 20));
    modeButton_ = speedButton(this, "FlatSpeedButton6", QRect(left + 92, 5, width - 92, 25), false);
    modeButton_->setAutoRaise(false);
    connect(modeButton_, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton6Click);
    modeList_ = dropDownList(this, "ListBox3", QRect(left + 92, 31, width - 92, 61),
                             {QStringLiteral("Objektmode"), QStringLiteral("Perspektive"),
                              QString::fromUtf8("Flächenmode")});
    connect(modeList_, &QListWidget::itemClicked, this, &TDrawForm::ListBox3Click);
    modeList_->installEventFilter(this);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(left, kPanelTop, width, kPanelHeight);
    const char* tabs[] = {"Object", "Perspective", "AREA"};
    for (int i = 0; i < 3; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        pages_->addTab(page, QString::fromLatin1(tabs[i]));
    }
    buildObjectPage(pages_->widget(kObjectMode));
    buildPerspectivePage(pages_->widget(kPerspectiveMode));
    buildAreaPage(pages_->widget(kAreaMode));
    connect(pages_, &QTabWidget::currentChanged, this, &TDrawForm::PageControl1Change);
}

void TDrawForm::applyTexts() {
    // The area buttons show their names as well as hinting them.
    for (QToolButton* b : areaButtons_) b->setText(b->toolTip().trimmed());
    SyncEditorControls();
    showModeName();
    // The fader captions are built from the section's texts.
    if (pages_->currentIndex() == kObjectMode) LoadObjectPage();
}

// ---------------------------------------------------------------------------------------------
// Refresh and synchronisation

void TDrawForm::RefreshEditor() {
    if (pictureActive_ || Tool == 0 || Tool == 1) {
        hideShapes();
        editOverlay_->update();
        return;
    }
    Updating = true;
    RefreshAreaCounts(store_);
    if (const TAreaSetup* area = CurrentAreaOrNull(store_)) {
        const int mode = modeOf(*area);
        changingPage_ = true;
        pages_->setCurrentIndex(mode);
        changingPage_ = false;
        PerspectiveShown = mode == kPerspectiveMode;
        showModeName();
        placeShapes(mode);
    }
    editOverlay_->update();
    Updating = false;
}

void TDrawForm::SyncEditorControls() {
    const bool cameraValid = store_.CurrentCamera >= 0 && store_.CurrentCamera < kCameras;
    const bool timeZoneValid = store_.CurrentTimeZone >= 0 && store_.CurrentTimeZone < kTimeZones;
    if (cameraValid)
        cameraButton_->setText(QString::number(store_.CurrentCamera + 1) + QLatin1Char('.') +
                               cameraName(store_.camera(0, store_.CurrentCamera)).left(15));
    for (int c = 0; c < kCameras; ++c) cameraList_->item(c)->setText(cameraName(store_.camera(0, c)));
    cameraList_->setCurrentRow(cameraValid ? store_.CurrentCamera : -1);
    timeZoneList_->setCurrentRow(timeZoneValid ? store_.CurrentTimeZone : -1);
    if (timeZoneValid) timeZoneButton_->setText(timeZoneList_->item(store_.CurrentTimeZone)->text());

    const int area = store_.CurrentArea >= 0 && store_.CurrentArea < kAreas ? store_.CurrentArea : 0;
    areaButtons_[size_t(area)]->setChecked(true);
    AreaColour = AreaColourOf(area);
    actualAreaButton_->setStyleSheet(colourSheet(AreaColour, false));

    rectangleButton_->setChecked(Tool == 0);
    polygonButton_->setChecked(Tool == 1);
    showAllButton_->setChecked(ShowAllAreas);

    LoadAreaPage();
    LoadPerspectivePage();
    areaPanel_->hide();
}

bool TDrawForm::AreaTakenElsewhere(int column, int row) const { return zep4::AreaTakenElsewhere(store_, column, row); }

void TDrawForm::showModeName() {
    if (const TAreaSetup* area = CurrentAreaOrNull(store_)) modeButton_->setText(modeList_->item(modeOf(*area))->text());
}

// The shapes of the area's mode: the object segment in object mode, the two perspective
// rectangles in perspective mode, none in area mode.
void TDrawForm::placeShapes(int mode) {
    if (mode == kPerspectiveMode) showPerspectiveShapes();
    else if (mode == kObjectMode) placeObjectSegment();
    else hideShapes();
}

void TDrawForm::hideShapes() {
    for (TStretchHandle* h : {segmentHandle_, frontHandle_, backHandle_}) h->Detach();
    for (TShape* s : {segmentShape_, frontShape_, backShape_}) s->hide();
}

void TDrawForm::attachPerspectiveHandles() {
    frontHandle_->Detach();
    frontHandle_->Attach(frontShape_);
    backHandle_->Detach();
    backHandle_->Attach(backShape_);
}

void TDrawForm::showPerspectiveShapes() {
    frontShape_->setPen(QPen(AreaColour, 1));
    frontShape_->setBrush(QBrush(AreaColour, Qt::BDiagPattern));
    backShape_->setPen(QPen(AreaColour, 1));
    backShape_->setBrush(QBrush(AreaColour, Qt::FDiagPattern));
    segmentHandle_->Detach();
    segmentShape_->hide();
    if (!frontShape_->isHidden()) {
        attachPerspectiveHandles();
    } else {
        frontShape_->show();
        frontHandle_->Attach(frontShape_);
        backShape_->show();
        backHandle_->Attach(backShape_);
        // Once more after the shapes have their final bounds.
        Timer5.start();
    }
    LoadPerspectivePage();
}

namespace {

// A rectangle of the geometry on screen; values far outside the picture (a damaged file) are
// kept within a few picture sizes so that the shape stays a sane widget.
QRect shapeBounds(const TPixelRect& r) {
    constexpr int kLimit = 4 * kPictureWidth;
    return {std::clamp(r.left, -kLimit, kLimit), std::clamp(r.top, -kLimit, kLimit), std::clamp(r.width, 0, kLimit),
            std::clamp(r.height, 0, kLimit)};
}

TPixelRect pixelRectOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

void setNumber(QLineEdit* edit, int value) {
    const QString text = QString::number(value);
    if (edit->text() != text) edit->setText(text);
}

// The edit's text as a decimal number, 0 when it is not one.
int numberOf(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().toInt(&ok, 10);
    return ok ? value : 0;
}

// The ramp colour of the cell faders: red, green, blue, yellow by area (green, not the lime of
// the area buttons).
QColor rampColourOf(int area) {
    switch (area) {
    case 1: return QColor(0, 128, 0);
    case 2: return QColor(0, 0, 255);
    case 3: return QColor(255, 255, 0);
    default: return QColor(255, 0, 0);
    }
}

void setComboIndex(QComboBox* box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1); }

}  // namespace

void TDrawForm::placeObjectSegment() {
    TAreaGeometry* g = currentGeometry();
    if (!g) return;
    QPen pen = segmentShape_->pen();
    pen.setColor(AreaColour);
    segmentShape_->setPen(pen);
    segmentShape_->setGeometry(shapeBounds(FrontPixels(*g)));
    LoadObjectPage();
    if (segmentShape_->isHidden()) {
        segmentShape_->show();
        for (TStretchHandle* h : {frontHandle_, backHandle_}) h->Detach();
        frontShape_->hide();
        backShape_->hide();
    }
    // The handle waits for the first press on the picture.
    if (!segmentHandleMarked_) segmentHandle_->Attach(segmentShape_);
}

TAreaGeometry* TDrawForm::currentGeometry() {
    if (!ValidSelection(store_)) return nullptr;
    return &store_.currentCamera().Geometry[store_.CurrentArea];
}

// MaxLimitLabel value LimitUnitLabel =percent%, the percentage of the reference volume; a
// reference of 0 cells gives no percentage.
QString TDrawForm::limitCaption(int labelLine, int value, int reference) const {
    QString caption =
        texts_.message(labelLine) + QLatin1Char(' ') + QString::number(value) + QLatin1Char(' ') + texts_.message(57);
    if (const std::optional<int32_t> percent = LimitPercent(value, reference))
        caption += QStringLiteral(" =") + QString::number(*percent) + QLatin1Char('%');
    return caption;
}

// The two limit faders of a reference volume: the maximum from the volume (100 %) up to the
// area's cell count, the minimum from a tenth of the volume up to the volume. Each caption
// shows the value the fader makes of the stored limit.
void TDrawForm::loadLimitFaders(GFader* maxFader, GFader* minFader, int32_t volume, int32_t cellCount,
                                int32_t maxVolume, int32_t minVolume) {
    const TFaderRange maxRange = MaxVolumeRange(volume, cellCount);
    maxFader->setMinimum(maxRange.minimum);
    maxFader->setMaximum(maxRange.maximum);
    maxFader->setValue(maxVolume);
    maxFader->setCaption(limitCaption(56, maxFader->value(), maxFader->minimum()));
    const TFaderRange minRange = MinVolumeRange(volume);
    minFader->setMinimum(minRange.minimum);
    minFader->setMaximum(minRange.maximum);
    minFader->setValue(minVolume);
    minFader->setCaption(limitCaption(58, minFader->value(), minFader->maximum()));
}

void TDrawForm::LoadAreaPage() {
    Updating = true;
    const TAreaSetup* area = CurrentAreaOrNull(store_);
    if (area) {
        channelActive_->setChecked(store_.currentCamera().ChannelActive != 0);
        for (GFader* f : {minCellsFader_, maxCellsFader_}) f->setRampColour(rampColourOf(store_.CurrentArea));
        cellCount_->setText(QString::number(area->CellCount));
        setComboIndex(areaSensitivity_, area->SensitivityIndex);
        const int maximum = CellFaderMaximum(area->CellCount);
        minCellsFader_->setMaximum(maximum);
        maxCellsFader_->setMaximum(maximum);
        setNumber(minCellsEdit_, area->MinCells);
        setNumber(maxCellsEdit_, area->MaxCells);
        minCellsFader_->setValue(area->MinCells);
        maxCellsFader_->setValue(area->MaxCells);
        setComboIndex(resetTime_, area->ResetTimeIndex);
        switchRelay_->setChecked(area->SwitchRelay != 0);
    }
    Updating = false;
    if (area) {
        const bool person =
            store_.PersonSetup[store_.CurrentTimeZone][store_.CurrentCamera].PersonDetection[store_.CurrentArea] != 0;
        perspectivePerson_->setChecked(person);
        objectPerson_->setChecked(person);
    }
}

void TDrawForm::LoadObjectPage(bool standardRule) {
    Updating = true;
    const TAreaSetup* area = CurrentAreaOrNull(store_);
    TAreaGeometry* g = currentGeometry();
    if (area && g) {
        g->FrontVolume = Volume(g->FrontWidth, g->FrontHeight);
        if (standardRule) ApplyStandardFrontLimits(*g);
        loadLimitFaders(maxObjectFader_, minObjectFader_, g->FrontVolume, area->CellCount, g->FrontMaxVolume,
                        g->FrontMinVolume);
        objectVolume_->setText(QString::number(g->FrontVolume));
        setComboIndex(objectSensitivity_, area->SensitivityIndex);
    }
    Updating = false;
}

void TDrawForm::LoadPerspectivePage(bool standardRule) {
    if (pictureActive_) {
        hideShapes();
        return;
    }
    const TAreaSetup* area = CurrentAreaOrNull(store_);
    TAreaGeometry* g = currentGeometry();
    if (!area || !g || area->PerspectiveMode == 0) return;
    Updating = true;
    frontShape_->setGeometry(shapeBounds(FrontPixels(*g)));
    setNumber(frontVolume_, g->FrontVolume);
    if (standardRule) ApplyStandardFrontLimits(*g);
    loadLimitFaders(frontMaxFader_, frontMinFader_, g->FrontVolume, area->CellCount, g->FrontMaxVolume,
                    g->FrontMinVolume);

    backShape_->setGeometry(shapeBounds(BackPixels(*g)));
    setNumber(backVolume_, g->BackVolume);
    if (standardRule) ApplyStandardBackLimits(*g);
    if (area->VerticalPerspective == 0) {
        horizontal_->setChecked(true);
        vertical_->setChecked(false);
    } else if (area->VerticalPerspective == 1) {
        horizontal_->setChecked(false);
        vertical_->setChecked(true);
    }
    loadLimitFaders(backMaxFader_, backMinFader_, g->BackVolume, area->CellCount, g->BackMaxVolume, g->BackMinVolume);
    setComboIndex(frontSensitivity_, g->FrontSensitivityIndex);
    setComboIndex(backSensitivity_, g->BackSensitivityIndex);
    Updating = false;
}

// ---------------------------------------------------------------------------------------------
// The shapes and their handles

void TDrawForm::buildShapes() {
    // The shapes lie on the edit overlay, so that their coordinates are picture pixels and the
    // overlay's cell dots and guide lines lie under them.
    segmentShape_ = new TShape(QStringLiteral("SegmentShape"), editOverlay_);
    segmentShape_->setPen(QPen(QColor(255, 255, 0), 2, Qt::DashDotLine));
    segmentShape_->setBrush(Qt::NoBrush);
    segmentShape_->setCompositionMode(QPainter::RasterOp_NotSourceAndDestination);
    // Not clickable: presses go through to the picture (the first one frees the handle).
    segmentShape_->setAttribute(Qt::WA_TransparentForMouseEvents);
    segmentShape_->setEnabled(false);

    frontShape_ = new TShape(QStringLiteral("FrontShape"), editOverlay_);
    frontShape_->setBrush(QBrush(AreaColour, Qt::BDiagPattern));
    connect(frontShape_, &TShape::mouseDown, this, &TDrawForm::FrontShapeMouseDown);
    backShape_ = new TShape(QStringLiteral("BackShape"), editOverlay_);
    backShape_->setBrush(QBrush(AreaColour, Qt::FDiagPattern));

    segmentHandle_ = new TStretchHandle(QStringLiteral("SegmentHandle"), editOverlay_);
    frontHandle_ = new TStretchHandle(QStringLiteral("FrontHandle"), editOverlay_);
    frontHandle_->setGrid(QSize(8, 8));
    backHandle_ = new TStretchHandle(QStringLiteral("BackHandle"), editOverlay_);
    connect(segmentHandle_, &TStretchHandle::mouseUp, this, &TDrawForm::SegmentHandleMouseUp);
    connect(frontHandle_, &TStretchHandle::mouseUp, this, &TDrawForm::FrontHandleMouseUp);
    connect(backHandle_, &TStretchHandle::mouseUp, this, &TDrawForm::BackHandleMouseUp);
    for (TShape* s : {frontShape_, backShape_})
        connect(s, &TShape::geometryChanged, editOverlay_, qOverload<>(&QWidget::update));
    connect(&Timer5, &QTimer::timeout, this, &TDrawForm::Timer5Timer);
}

// A perspective rectangle released: stored by `storeRectangle`, then both shapes placed again
// from the geometry. A drag that left no area is discarded, and the handles are attached once
// more when the shapes are back in place.
void TDrawForm::storePerspective(bool (*storeRectangle)(TAreaGeometry&, const TPixelRect&, const TPixelRect&)) {
    UndoScope step(*this);
    TAreaGeometry* g = currentGeometry();
    if (!g) return;
    const bool stored = storeRectangle(*g, pixelRectOf(frontShape_), pixelRectOf(backShape_));
    RefreshEditor();
    SyncEditorControls();
    if (!stored) Timer5.start();
}

void TDrawForm::FrontHandleMouseUp() { storePerspective(&StoreFrontRectangle); }

void TDrawForm::BackHandleMouseUp() { storePerspective(&StoreBackRectangle); }

void TDrawForm::SegmentHandleMouseUp() {
    UndoScope step(*this);
    TAreaGeometry* g = currentGeometry();
    if (!g) return;
    if (!StoreObjectSegment(*g, pixelRectOf(segmentShape_))) {
        segmentHandle_->Attach(segmentShape_);
        LoadObjectPage();
        RefreshEditor();
        SyncEditorControls();
        return;
    }
    LoadObjectPage();
}

void TDrawForm::FrontShapeMouseDown() {
    frontHandle_->Detach();
    frontHandle_->Attach(frontShape_);
}

void TDrawForm::Timer5Timer() {
    Timer5.stop();
    attachPerspectiveHandles();
}

// ---------------------------------------------------------------------------------------------
// The parameter pages

namespace {

QLabel* pageLabel(QWidget* page, const char* name, const QString& text, const QRect& geometry, bool bold = false) {
    auto* l = new QLabel(text, page);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QComboBox* pageCombo(QWidget* page, const char* name, const QRect& geometry, const QStringList& items) {
    auto* box = new QComboBox(page);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->addItems(items);
    return box;
}

QCheckBox* pageCheck(QWidget* page, const char* name, const QString& text, const QRect& geometry) {
    auto* box = new QCheckBox(text, page);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QLineEdit* pageEdit(QWidget* page, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    return edit;
}

GFader* pageFader(QWidget* page, const char* name, const QRect& geometry, const char* atMinimum,
                  const char* atMaximum) {
    auto* fader = new GFader(QString::fromLatin1(name), page);
    fader->setGeometry(geometry);
    fader->setEndLabels(QString::fromLatin1(atMinimum), QString::fromLatin1(atMaximum));
    return fader;
}

QStringList sensitivityItems() {
    QStringList items;
    for (int i = 1; i <= 10; ++i) items << QString::number(i);
    return items;
}

constexpr int kPageMargin = 6;
constexpr int kFaderHeight = 46;

}  // namespace

void TDrawForm::buildObjectPage(QWidget* page) {
    const int w = pages_->width() - 2 * kPageMargin - 6;
    const int x = kPageMargin;
    pageLabel(page, "Label45", QStringLiteral("Reference object"), QRect(x, 6, w, 18), true);
    pageLabel(page, "Label40", QStringLiteral("Objectvolume:"), QRect(x, 30, 110, 18));
    objectVolume_ = pageLabel(page, "Label43", QStringLiteral("0"), QRect(x + 112, 30, 48, 18));
    objectVolume_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pageLabel(page, "Label41", QStringLiteral("cells"), QRect(x + 164, 30, w - 164, 18));

    pageLabel(page, "Label38", QStringLiteral("Max. Objectvolume:"), QRect(x, 58, w, 18));
    maxObjectFader_ = pageFader(page, "GFader8", QRect(x, 76, w, kFaderHeight), "100%", "Max");
    pageLabel(page, "Label39", QStringLiteral("Min. Objectvolume:"), QRect(x, 130, w, 18));
    minObjectFader_ = pageFader(page, "GFader7", QRect(x, 148, w, kFaderHeight), "10%", "100%");
    connect(maxObjectFader_, &GFader::valueChanged, this, &TDrawForm::GFader8Change);
    connect(minObjectFader_, &GFader::valueChanged, this, &TDrawForm::GFader7Change);

    pageLabel(page, "Label42", QStringLiteral("Sensitivity:"), QRect(x, 206, 110, 22));
    objectSensitivity_ = pageCombo(page, "FlatComboBox4", QRect(x + 112, 204, 64, 24), sensitivityItems());
    connect(objectSensitivity_, &QComboBox::activated, this, &TDrawForm::FlatComboBox4Change);

    QToolButton* standard = speedButton(page, "FlatSpeedButton24", QRect(x, 240, 100, 26), false);
    standard->setAutoRaise(false);
    standard->setText(QStringLiteral("Standard"));
    connect(standard, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton24Click);

    objectPerson_ = pageCheck(page, "CheckBox2", QStringLiteral("Personenerkennung"), QRect(x, 278, w, 22));
    connect(objectPerson_, &QCheckBox::clicked, this, &TDrawForm::CheckBox1Click);
}

void TDrawForm::buildPerspectivePage(QWidget* page) {
    const int w = pages_->width() - 2 * kPageMargin - 6;
    const int x = kPageMargin;
    int y = 4;
    // One section: its title, the maximum and minimum faders, the volume and the sensitivity.
    auto section = [&](const char* title, const char* titleText, const char* maxName, const char* minName,
                       const char* volumeLabel, const char* volumeName, const char* sensitivityLabel,
                       const char* sensitivityName, GFader*& maxFader, GFader*& minFader, QLineEdit*& volume,
                       QComboBox*& sensitivity) {
        pageLabel(page, title, QString::fromLatin1(titleText), QRect(x, y, w, 18), true);
        y += 20;
        maxFader = pageFader(page, maxName, QRect(x, y, w, kFaderHeight), "100%", "Max");
        y += kFaderHeight + 2;
        minFader = pageFader(page, minName, QRect(x, y, w, kFaderHeight), "10%", "100%");
        y += kFaderHeight + 4;
        pageLabel(page, volumeLabel, QStringLiteral("Volume"), QRect(x, y + 2, 100, 20));
        volume = pageEdit(page, volumeName, QRect(x + 112, y, 64, 22));
        volume->setReadOnly(true);
        volume->setAlignment(Qt::AlignRight);
        y += 26;
        pageLabel(page, sensitivityLabel, QStringLiteral("Sensitivity:"), QRect(x, y + 2, 100, 20));
        sensitivity = pageCombo(page, sensitivityName, QRect(x + 112, y, 64, 24), sensitivityItems());
        y += 34;
    };
    section("Label2", "BACKGROUND", "GFader11", "GFader12", "Label26", "FlatEdit15", "Label3", "FlatComboBox5",
            backMaxFader_, backMinFader_, backVolume_, backSensitivity_);
    backMinFader_->setMarksReversed(true);
    section("Label32", "FOREGROUND", "GFader9", "GFader10", "Label1", "FlatEdit11", "Label21", "FlatComboBox3",
            frontMaxFader_, frontMinFader_, frontVolume_, frontSensitivity_);
    connect(frontMaxFader_, &GFader::valueChanged, this, &TDrawForm::GFader9Change);
    connect(frontMinFader_, &GFader::valueChanged, this, &TDrawForm::GFader10Change);
    connect(backMaxFader_, &GFader::valueChanged, this, &TDrawForm::GFader11Change);
    connect(backMinFader_, &GFader::valueChanged, this, &TDrawForm::GFader12Change);
    connect(frontSensitivity_, &QComboBox::activated, this, &TDrawForm::FlatComboBox3Change);
    connect(backSensitivity_, &QComboBox::activated, this, &TDrawForm::FlatComboBox5Change);

    pageLabel(page, "Label4", QStringLiteral("Perspective:"), QRect(x, y, w, 18), true);
    y += 20;
    horizontal_ = pageCheck(page, "CheckBox3", QStringLiteral("Horizontal Perspective"), QRect(x, y, w, 22));
    y += 22;
    vertical_ = pageCheck(page, "CheckBox4", QStringLiteral("Verticale Perspective"), QRect(x, y, w, 22));
    y += 28;
    connect(horizontal_, &QCheckBox::clicked, this, &TDrawForm::CheckBox3Click);
    connect(vertical_, &QCheckBox::clicked, this, &TDrawForm::CheckBox4Click);

    QToolButton* standard = speedButton(page, "FlatSpeedButton26", QRect(x, y, 100, 26), false);
    standard->setAutoRaise(false);
    standard->setText(QStringLiteral("Standard"));
    connect(standard, &QToolButton::clicked, this, &TDrawForm::FlatSpeedButton26Click);
    y += 32;
    perspectivePerson_ = pageCheck(page, "CheckBox1", QStringLiteral("Personenerkennung"), QRect(x, y, w, 22));
    connect(perspectivePerson_, &QCheckBox::clicked, this, &TDrawForm::CheckBox1Click);
}

void TDrawForm::buildAreaPage(QWidget* page) {
    const int w = pages_->width() - 2 * kPageMargin - 6;
    const int x = kPageMargin;
    pageLabel(page, "Label6", QStringLiteral("Anzahl Zellen:"), QRect(x, 8, 112, 20));
    cellCount_ = pageLabel(page, "Label5", QStringLiteral("0"), QRect(x + 112, 8, 56, 20));
    cellCount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // "Max." and "Min.": a number to type and a fader, coupled so that Min. stays at most Max.
    auto limit = [&](int y, const char* labelName, const char* text, const char* editName, const char* faderName,
                     QLineEdit*& edit, GFader*& fader) {
        pageLabel(page, labelName, QString::fromLatin1(text), QRect(x, y + 2, 100, 20));
        edit = pageEdit(page, editName, QRect(x + 112, y, 56, 22));
        edit->setMaxLength(4);
        edit->setAlignment(Qt::AlignRight);
        fader = pageFader(page, faderName, QRect(x, y + 26, w, 26), "", "");
        fader->setPageStep(100);
    };
    limit(40, "Label7", "Max.", "FlatEdit6", "GFader6", maxCellsEdit_, maxCellsFader_);
    limit(100, "Label8", "Min.", "FlatEdit5", "GFader5", minCellsEdit_, minCellsFader_);
    connect(maxCellsFader_, &GFader::valueChanged, this, &TDrawForm::GFader6Change);
    connect(minCellsFader_, &GFader::valueChanged, this, &TDrawForm::GFader5Change);
    connect(maxCellsEdit_, &QLineEdit::textEdited, this, &TDrawForm::FlatEdit6Change);
    connect(minCellsEdit_, &QLineEdit::textEdited, this, &TDrawForm::FlatEdit5Change);
    // Typing a number is one step until the edit is left.
    for (QLineEdit* e : {maxCellsEdit_, minCellsEdit_}) connect(e, &QLineEdit::editingFinished, this, [this] { history_.seal(); });
    // A drag of a fader is one step.
    for (GFader* f : {maxCellsFader_, minCellsFader_, maxObjectFader_, minObjectFader_, frontMaxFader_, frontMinFader_,
                      backMaxFader_, backMinFader_})
        connect(f, &GFader::sliderReleased, this, [this] { history_.seal(); });

    pageLabel(page, "Label12", QStringLiteral("Sensitivity:"), QRect(x, 166, 110, 20));
    areaSensitivity_ = pageCombo(page, "FlatComboBox7", QRect(x + 112, 164, 64, 24), sensitivityItems());
    connect(areaSensitivity_, &QComboBox::activated, this, &TDrawForm::FlatComboBox7Change);
    pageLabel(page, "Label11", QStringLiteral("Reset time"), QRect(x, 198, 110, 20));
    resetTime_ = pageCombo(page, "FlatComboBox2", QRect(x + 112, 196, 64, 24),
                           {QStringLiteral("1s"), QStringLiteral("2s"), QStringLiteral("3s"), QStringLiteral("4s"),
                            QStringLiteral("5s"), QStringLiteral("7s"), QStringLiteral("10s"), QStringLiteral("20s"),
                            QStringLiteral("30s"), QStringLiteral("60s"), QStringLiteral("120s")});
    connect(resetTime_, &QComboBox::activated, this, &TDrawForm::FlatComboBox2Change);
    switchRelay_ = pageCheck(page, "FlatCheckBox3", QStringLiteral("Switch Relay"), QRect(x, 232, w, 22));
    connect(switchRelay_, &QCheckBox::clicked, this, &TDrawForm::FlatCheckBox3Click);
}

// A fader change merges with the step before it while the fader is being dragged.
int TDrawForm::faderMergeKey(const GFader* fader, int number) const { return fader->isSliderDown() ? 1000 + number : 0; }

void TDrawForm::GFader5Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this, faderMergeKey(minCellsFader_, 5));
    // Moving the other fader runs its own change handler.
    const int32_t max = MaxCellsAfterMinMoved(minCellsFader_->value(), maxCellsFader_->value());
    if (max != maxCellsFader_->value()) maxCellsFader_->setValue(max);
    setNumber(minCellsEdit_, minCellsFader_->value());
    area->MinCells = minCellsFader_->value();
}

void TDrawForm::GFader6Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this, faderMergeKey(maxCellsFader_, 6));
    const int32_t min = MinCellsAfterMaxMoved(minCellsFader_->value(), maxCellsFader_->value());
    if (min != minCellsFader_->value()) minCellsFader_->setValue(min);
    setNumber(maxCellsEdit_, maxCellsFader_->value());
    area->MaxCells = maxCellsFader_->value();
}

void TDrawForm::FlatEdit5Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this, 2005);
    minCellsFader_->setValue(numberOf(minCellsEdit_));
    area->MinCells = minCellsFader_->value();
}

void TDrawForm::FlatEdit6Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this, 2006);
    maxCellsFader_->setValue(numberOf(maxCellsEdit_));
    area->MaxCells = maxCellsFader_->value();
}

void TDrawForm::FlatComboBox7Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (!area) return;
    UndoScope step(*this);
    area->SensitivityIndex = areaSensitivity_->currentIndex();
}

void TDrawForm::FlatComboBox2Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this);
    area->ResetTimeIndex = resetTime_->currentIndex();
}

void TDrawForm::FlatCheckBox3Click() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (!area) return;
    UndoScope step(*this);
    area->SwitchRelay = switchRelay_->isChecked() ? 1 : 0;
}

// A volume limit fader of the object page or the perspective page: the value stored into its
// field of the geometry, then the page loaded again.
void TDrawForm::storeVolumeLimit(GFader* fader, int number, int32_t TAreaGeometry::*field, bool objectPage) {
    TAreaGeometry* g = currentGeometry();
    if (Updating || !g) return;
    UndoScope step(*this, faderMergeKey(fader, number));
    g->*field = fader->value();
    if (objectPage) LoadObjectPage();
    else LoadPerspectivePage();
}

void TDrawForm::GFader8Change() { storeVolumeLimit(maxObjectFader_, 8, &TAreaGeometry::FrontMaxVolume, true); }
void TDrawForm::GFader7Change() { storeVolumeLimit(minObjectFader_, 7, &TAreaGeometry::FrontMinVolume, true); }
void TDrawForm::GFader9Change() { storeVolumeLimit(frontMaxFader_, 9, &TAreaGeometry::FrontMaxVolume, false); }
void TDrawForm::GFader10Change() { storeVolumeLimit(frontMinFader_, 10, &TAreaGeometry::FrontMinVolume, false); }
void TDrawForm::GFader11Change() { storeVolumeLimit(backMaxFader_, 11, &TAreaGeometry::BackMaxVolume, false); }
void TDrawForm::GFader12Change() { storeVolumeLimit(backMinFader_, 12, &TAreaGeometry::BackMinVolume, false); }

void TDrawForm::FlatComboBox4Change() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (Updating || !area) return;
    UndoScope step(*this);
    area->SensitivityIndex = objectSensitivity_->currentIndex();
}

void TDrawForm::FlatSpeedButton24Click() {
    UndoScope step(*this);
    LoadObjectPage(true);
}

// Either box: the person detection of the current area; the other box shows the same.
void TDrawForm::CheckBox1Click() {
    auto* box = qobject_cast<QCheckBox*>(sender());
    if (!box || !ValidSelection(store_)) return;
    UndoScope step(*this);
    const bool checked = box->isChecked();
    store_.PersonSetup[store_.CurrentTimeZone][store_.CurrentCamera].PersonDetection[store_.CurrentArea] = checked ? 1 : 0;
    for (QCheckBox* other : {objectPerson_, perspectivePerson_})
        if (other != box) other->setChecked(checked);
}

void TDrawForm::FlatComboBox3Change() {
    if (TAreaGeometry* g = currentGeometry()) {
        UndoScope step(*this);
        g->FrontSensitivityIndex = frontSensitivity_->currentIndex();
    }
}

void TDrawForm::FlatComboBox5Change() {
    if (TAreaGeometry* g = currentGeometry()) {
        UndoScope step(*this);
        g->BackSensitivityIndex = backSensitivity_->currentIndex();
    }
}

// The two perspective boxes are a pair of which exactly one is checked.
void TDrawForm::CheckBox3Click() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (!area) return;
    UndoScope step(*this);
    area->VerticalPerspective = horizontal_->isChecked() ? 0 : 1;
    vertical_->setChecked(!horizontal_->isChecked());
}

void TDrawForm::CheckBox4Click() {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (!area) return;
    UndoScope step(*this);
    area->VerticalPerspective = vertical_->isChecked() ? 1 : 0;
    horizontal_->setChecked(!vertical_->isChecked());
}

void TDrawForm::FlatSpeedButton26Click() {
    UndoScope step(*this);
    LoadPerspectivePage(true);
}

// ---------------------------------------------------------------------------------------------
// Undo

TDrawForm::UndoScope::UndoScope(TDrawForm& form, int mergeKey) : form_(form), mergeKey_(mergeKey) {
    if (form_.undoDepth_++ == 0) form_.history_.begin(form_.store_);
}

TDrawForm::UndoScope::~UndoScope() {
    if (--form_.undoDepth_ != 0) return;
    // A step of another control ends the merging of the one before.
    if (mergeKey_ == 0) form_.history_.seal();
    form_.history_.commit(form_.store_, mergeKey_);
    form_.reportUndoState();
}

void TDrawForm::reportUndoState() {
    const std::pair<bool, bool> state{history_.canUndo(), history_.canRedo()};
    if (state == reportedUndoState_) return;
    reportedUndoState_ = state;
    emit undoStateChanged(state.first, state.second);
}

void TDrawForm::setUndoShortcutsEnabled(bool enabled) {
    for (QShortcut* s : undoShortcuts_) s->setEnabled(enabled);
}

// The camera, time zone and area of an undone or redone step are shown, as if the user had
// chosen them.
void TDrawForm::showPlace(const TUndoPlace& place) {
    if (place.camera != store_.CurrentCamera) {
        if (pictureActive_) StorePicture();
        store_.CurrentCamera = place.camera;
        if (pictureActive_) emit pictureCameraChanged(store_.CurrentCamera);
        else ShowCameraPicture();
    }
    store_.CurrentTimeZone = place.timeZone;
    store_.CurrentArea = place.area;
    AreaColour = AreaColourOf(place.area);
    hideLists();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::undo() {
    if (undoDepth_ != 0) return;
    // A gesture in progress is dropped first, as Esc drops it.
    if (MouseIsDown || polygon_.pointCount() > 0) FormKeyPress(27);
    if (const std::optional<TUndoPlace> place = history_.undo(store_)) showPlace(*place);
    reportUndoState();
}

void TDrawForm::redo() {
    if (undoDepth_ != 0) return;
    if (MouseIsDown || polygon_.pointCount() > 0) FormKeyPress(27);
    if (const std::optional<TUndoPlace> place = history_.redo(store_)) showPlace(*place);
    reportUndoState();
}

void TDrawForm::clearUndoHistory() {
    history_.clear();
    reportUndoState();
}

// ---------------------------------------------------------------------------------------------
// Main window hooks

void TDrawForm::ResetEditor() {
    clearUndoHistory();
    Timer1.stop();
    polygon_.reset();
    rectangle_.cancel();
    closingPolygon_.clear();
    CloseRequested = false;
    MouseIsDown = false;
    EscCancelled = false;
    Tool = -1;
    ShowAllAreas = true;
    AreaColour = AreaColourOf(0);
    showAlarmButton_->setChecked(true);
    ShowCameraPicture();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::ShowOpenedSetup() {
    clearUndoHistory();
    RefreshEditor();
    SyncEditorControls();
    ShowCameraPicture();
}

void TDrawForm::ShowChangedSetup() {
    clearUndoHistory();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::ShowCameraPicture() {
    const int c = store_.CurrentCamera;
    if (c < 0 || c >= kCameras) return;
    image_->setImage(ToQImage(store_.CameraPicture[size_t(c)]));
}

void TDrawForm::PictureLoaded(bool refreshOverlay) {
    ShowCameraPicture();
    if (refreshOverlay) ShowChangedSetup();
}

const QImage& TDrawForm::picture() const { return image_->image(); }

void TDrawForm::setPicture(const QImage& image) { image_->setImage(image); }

void TDrawForm::StorePicture() {
    const int c = store_.CurrentCamera;
    if (c < 0 || c >= kCameras) return;
    store_.CameraPicture[size_t(c)] = FromQImage(image_->image(), kPictureWidth, kPictureHeight);
}

void TDrawForm::setPictureActive(bool active) {
    pictureActive_ = active;
    editOverlay_->update();
}

// ---------------------------------------------------------------------------------------------
// Selection

void TDrawForm::hideLists() {
    cameraList_->hide();
    timeZoneList_->hide();
    modeList_->hide();
}

// Opening a list closes the other two; an open list closes by itself after 5 s.
void TDrawForm::showList(QListWidget* list) {
    for (QListWidget* other : {cameraList_, timeZoneList_, modeList_})
        if (other != list) other->hide();
    list->show();
    list->raise();
    list->setFocus();
    Timer4.start();
}

void TDrawForm::FlatSpeedButton1Click() {
    if (cameraList_->isVisible()) cameraList_->hide();
    else showList(cameraList_);
}

void TDrawForm::ListBox1Click() {
    Timer4.stop();
    if (cameraList_->currentRow() < 0) cameraList_->setCurrentRow(0);
    // The picture on screen belongs to the camera being left while pictures arrive.
    if (pictureActive_) livePictureCamera_ = storeShownPicture();
    store_.CurrentCamera = cameraList_->currentRow();
    if (pictureActive_) emit pictureCameraChanged(store_.CurrentCamera);
    else ShowCameraPicture();
    cameraList_->hide();
    timeZoneList_->hide();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton15Click() {
    if (timeZoneList_->isVisible()) timeZoneList_->hide();
    else showList(timeZoneList_);
    cameraList_->hide();
}

void TDrawForm::ListBox2Click() {
    Timer4.stop();
    if (timeZoneList_->currentRow() < 0) timeZoneList_->setCurrentRow(0);
    store_.CurrentTimeZone = timeZoneList_->currentRow();
    timeZoneList_->hide();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton25Click() {
    areaPanel_->setVisible(!areaPanel_->isVisible());
    if (areaPanel_->isVisible()) areaPanel_->raise();
}

void TDrawForm::FlatSpeedButton2Click() {
    auto* b = qobject_cast<QAbstractButton*>(sender());
    const int area = b ? areaGroup_->id(b) : -1;
    if (area < 0) return;
    store_.CurrentArea = area;
    AreaColour = AreaColourOf(area);
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton6Click() {
    if (modeList_->isVisible()) modeList_->hide();
    else showList(modeList_);
}

void TDrawForm::setAreaFlags(int mode) {
    TAreaSetup* area = CurrentAreaOrNull(store_);
    if (!area || mode < 0 || mode > 2) return;
    area->ObjectDetection = mode == kAreaMode ? 0 : 1;
    area->PerspectiveMode = mode == kPerspectiveMode ? 1 : 0;
}

void TDrawForm::ListBox3Click() {
    Timer4.stop();
    if (modeList_->currentRow() < 0) modeList_->setCurrentRow(0);
    UndoScope step(*this);
    setAreaFlags(modeList_->currentRow());
    RefreshEditor();
    SyncEditorControls();
    modeList_->hide();
}

void TDrawForm::PageControl1Change() {
    if (changingPage_) return;
    UndoScope step(*this);
    setAreaFlags(pages_->currentIndex());
}

void TDrawForm::FlatCheckBox2Click() {
    if (Updating || !ValidSelection(store_)) return;
    UndoScope step(*this);
    store_.currentCamera().ChannelActive = channelActive_->isChecked() ? 1 : 0;
}

void TDrawForm::SpeedButton3Click() { emit detailsRequested(); }

void TDrawForm::Timer4Timer() {
    Timer4.stop();
    hideLists();
}

bool TDrawForm::eventFilter(QObject* watched, QEvent* event) {
    // Return or Enter in a drop-down list chooses its current item, like a click.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == cameraList_) ListBox1Click();
            else if (watched == timeZoneList_) ListBox2Click();
            else if (watched == modeList_) ListBox3Click();
            else return QWidget::eventFilter(watched, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Drawing tools

void TDrawForm::FlatSpeedButton7Click() {
    if (rectangleButton_->isChecked()) {
        Timer1.stop();
        Tool = 0;
        polygon_.reset();
        polygonButton_->setChecked(false);
    } else {
        Tool = -1;
    }
    // No gesture runs while a tool button is clicked; a polygon left open is dropped.
    MouseIsDown = false;
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton8Click() {
    if (polygonButton_->isChecked()) {
        Tool = 1;
        polygon_.reset();
        rectangleButton_->setChecked(false);
    } else {
        Tool = -1;
    }
    Timer1.stop();
    MouseIsDown = false;
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton9Click() {
    if (dialogs_.message(this, MessageType::Confirmation, MessageButtons::YesNo, SetAllPrompt()) == MessageResult::No)
        return;
    UndoScope step(*this);
    SetAllCells(store_);
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton10Click() {
    if (dialogs_.message(this, MessageType::Confirmation, MessageButtons::YesNo, DeleteAreaPrompt()) ==
        MessageResult::No)
        return;
    UndoScope step(*this);
    DeleteCurrentArea(store_);
    RefreshEditor();
    SyncEditorControls();
}

// Both show buttons: "Show area 1...4" decides ShowAllAreas, "Show alarm area" is read by the
// paint pass.
void TDrawForm::FlatSpeedButton11Click() {
    ShowAllAreas = showAllButton_->isChecked();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::PaintBox1MouseDown(Qt::MouseButton, Qt::MouseButtons buttons, QPoint pos) {
    buttonHeld_ = true;
    if (segmentHandleMarked_) {
        segmentHandleMarked_ = false;
        RefreshEditor();
    }
    const bool right = buttons.testFlag(Qt::RightButton);
    const bool left = buttons.testFlag(Qt::LeftButton);
    if (Tool == 1) {
        MouseIsDown = true;
        if (polygon_.click(pos.x(), pos.y(), right ? 0 : 1)) {
            DrawValue = right ? 0 : 1;
            DrawColour = right ? QColor(Qt::black) : AreaColour;
        }
        Timer1.start();
        editOverlay_->update();
        return;
    }
    cameraList_->hide();
    timeZoneList_->hide();
    // Only the left (draw) and the right (erase) button start a rectangle.
    if (Tool == 0 && (left || right)) {
        MouseIsDown = true;
        DrawValue = right ? 0 : 1;
        DrawColour = right ? QColor(Qt::black) : AreaColour;
        rectangle_.down(pos.x(), pos.y(), DrawValue);
        editOverlay_->update();
    }
}

void TDrawForm::PaintBox1MouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (EscCancelled) return;
    if (Tool == 1 && polygon_.pointCount() > 0) {
        polygon_.pointer(pos.x(), pos.y());
        editOverlay_->update();
    }
    if (Tool == 0 && (buttons.testFlag(Qt::RightButton) || buttons.testFlag(Qt::LeftButton))) {
        rectangle_.move(pos.x(), pos.y());
        editOverlay_->update();
    }
}

void TDrawForm::PaintBox1MouseUp(Qt::MouseButton, Qt::MouseButtons buttons, QPoint pos) {
    buttonHeld_ = buttons != Qt::NoButton;
    if (EscCancelled) {
        EscCancelled = false;
        MouseIsDown = false;
        editOverlay_->update();
        return;
    }
    if (Tool == 1) {
        // The polygon stays open; the rubber band follows the pointer to the next click.
        Timer1.stop();
        return;
    }
    if (Tool != 0) return;
    UndoScope step(*this);
    if (const std::optional<TDragRect> rect = rectangle_.up(pos.x(), pos.y()))
        ApplyRectangle(store_, *rect, rectangle_.drawValue());
    RefreshEditor();
    RecountCellCount(store_);
    SyncEditorControls();
    MouseIsDown = false;
    editOverlay_->update();
}

// The button was held on the last vertex for the hold time: the polygon closes and its cells
// are written. A request with fewer than two vertices is dropped and collecting goes on.
void TDrawForm::Timer1Timer() {
    Timer1.stop();
    CloseRequested = true;
    std::optional<TPolygonShape> shape = polygon_.close();
    if (!shape) {
        CloseRequested = false;
        return;
    }
    UndoScope step(*this);
    ApplyPolygon(store_, shape->vertices, shape->drawValue);
    closingPolygon_ = std::move(shape->vertices);
    MouseIsDown = false;
    RefreshEditor();
    SyncEditorControls();
    editOverlay_->update();
}

// Esc drops the gesture in progress. While a button is still held on the picture, the rest
// of that press is ignored up to its release; with no button held there is nothing left to
// ignore, so the overlay goes on showing the areas.
void TDrawForm::FormKeyPress(int key) {
    if (key != 27) return;
    if (buttonHeld_) EscCancelled = true;
    else MouseIsDown = false;
    hideLists();
    areaPanel_->hide();
    Timer1.stop();
    Timer4.stop();
    polygon_.reset();
    rectangle_.cancel();
    closingPolygon_.clear();
    CloseRequested = false;
    editOverlay_->update();
}

void TDrawForm::paintEditOverlay(QPainter& painter) {
    TEditOverlayView view;
    view.pictureActive = pictureActive_;
    view.escCancelled = EscCancelled;
    view.showAlarmArea = showAlarmButton_->isChecked();
    view.showAllAreas = ShowAllAreas;
    view.areaColour = AreaColour;
    view.drawColour = DrawColour;
    view.tool = Tool;
    view.mouseIsDown = MouseIsDown;
    view.dragRect = rectangle_.rect();
    view.rubberBand = polygon_.rubberBand();
    // The guide lines join FrontShape and BackShape once the perspective page places them.
    view.perspectiveShown = PerspectiveShown;
    if (!frontShape_->isHidden() && !backShape_->isHidden()) {
        view.frontShape = frontShape_->geometry();
        view.backShape = backShape_->geometry();
    }
    if (CloseRequested) view.closingPolygon = closingPolygon_;
    if (!overlayPass_.paint(painter, store_, view)) return;
    if (CloseRequested) {
        // The fill shows for one pass; the next shows the cells it set.
        CloseRequested = false;
        closingPolygon_.clear();
        QMetaObject::invokeMethod(editOverlay_, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    }
}

// ---------------------------------------------------------------------------------------------
// Live picture

void TDrawForm::setPictureStream(TPictureStream* stream) {
    if (stream_) disconnect(stream_, nullptr, this, nullptr);
    disconnect(cameraConnection_);
    stream_ = stream;
    for (QToolButton* b : liveButtons_) b->setEnabled(stream != nullptr);
    if (!stream) return;
    stream->setFrozen(freezeButton_->isChecked());
    stream->setCompression(compression_->value());
    connect(stream, &TPictureStream::pictureComplete, this, &TDrawForm::DecodePicture);
    connect(stream, &TPictureStream::stateChanged, this, &TDrawForm::pictureStateChanged);
    connect(stream, &TPictureStream::singlePictureDone, this, [this] {
        keepShownPicture();
        RefreshEditor();
    });
    // The watchdog always goes on as live test mode, with the test overlay shown.
    connect(stream, &TPictureStream::watchdogRequested, testOverlay_, &QWidget::show);
    connect(stream, &TPictureStream::linkLost, this, [this] {
        startTestButton_->setChecked(false);
        freezeButton_->setChecked(false);
        testOverlay_->hide();
    });
    cameraConnection_ = connect(this, &TDrawForm::pictureCameraChanged, this, [this](int camera) {
        if (stream_) stream_->setCamera(camera, compression_->value());
    });
}

void TDrawForm::pictureStateChanged() {
    pictureActive_ = stream_ && stream_->PictureActive;
    editOverlay_->update();
}

// Get Picture and StartTestmode need the connection: without it the link's text says so.
bool TDrawForm::socketMissing() {
    if (!stream_) return true;
    if (stream_->socketActive()) return false;
    dialogs_.message(this, MessageType::Warning, MessageButtons::Ok, stream_->missingConnectionText());
    return true;
}

void TDrawForm::FlatSpeedButton16Click() {
    if (socketMissing()) return;
    // A live test mode running ends: this request fetches one picture.
    startTestButton_->setChecked(false);
    testOverlay_->hide();
    stream_->getPicture(store_.CurrentCamera, compression_->value());
}

void TDrawForm::FlatSpeedButton22Click() {
    if (!startTestButton_->isChecked()) {
        endLivePicture(false);
        return;
    }
    if (socketMissing()) {
        startTestButton_->setChecked(false);
        return;
    }
    stream_->startLiveTest(store_.CurrentCamera, compression_->value());
    testOverlay_->show();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton23Click() { endLivePicture(true); }

void TDrawForm::StopLivePicture() {
    const bool active = stream_ ? stream_->PictureActive : pictureActive_;
    if (active) endLivePicture(true);
}

// StartTestmode released (`releaseStartButton` false), StoppTestmode or StopLivePicture: the
// transfer ends, and the picture on screen becomes the camera's picture.
void TDrawForm::endLivePicture(bool releaseStartButton) {
    if (stream_) {
        if (releaseStartButton) stream_->stop();
        else stream_->stopLiveTest();
    }
    pictureActive_ = false;
    testOverlay_->hide();
    if (releaseStartButton) startTestButton_->setChecked(false);
    freezeButton_->setChecked(false);
    keepShownPicture();
    RefreshEditor();
    SyncEditorControls();
}

// The picture on screen goes into the entry of CameraPicture of the camera it shows, and the
// number of that camera is returned. It is the current camera, unless another was chosen
// during a transfer and no picture of it has come yet.
int TDrawForm::storeShownPicture() {
    const int shown = livePictureCamera_ >= 0 ? livePictureCamera_ : store_.CurrentCamera;
    if (shown >= 0 && shown < kCameras)
        store_.CameraPicture[size_t(shown)] = FromQImage(image_->image(), kPictureWidth, kPictureHeight);
    return shown;
}

// At the end of a transfer: the picture on screen is kept as its camera's picture, and the
// editor goes on with the current camera's own picture.
void TDrawForm::keepShownPicture() {
    if (storeShownPicture() != store_.CurrentCamera) ShowCameraPicture();
    livePictureCamera_ = -1;
}

void TDrawForm::Timer2Timer() {
    if (stream_) stream_->Timer2Timer();
}

// A complete picture: decoded, its edges cut off, shown; its overlay data go to the test
// overlay. A picture that cannot be decoded leaves the previous one on screen.
void TDrawForm::DecodePicture() {
    if (!stream_ || stream_->PreviewCycle) return;  // the preview shows those pictures
    const size_t length = size_t(std::clamp(stream_->PictureLength, 0, int(stream_->PictureBuffer.size())));
    const std::span<const uint8_t> picture(stream_->PictureBuffer.data(), length);
    overlayPainter_.setPicture(picture);
    testOverlay_->update();
    std::string error;
    const size_t next = liveIndex_ ^ 1;
    if (!decoder_.decode(picture, livePictures_[next], error)) return;
    liveIndex_ = next;
    image_->setImage(livePictures_[next]);
    livePictureCamera_ = stream_->pictureCamera();
}

void TDrawForm::paintTestOverlay(QPainter& painter) {
    TTestOverlayLayers layers;
    layers.alarmCells = alarmCellsButton_->isChecked();
    layers.text = textButton_->isChecked();
    layers.objects = objectsButton_->isChecked();
    if (!layers.alarmCells && !layers.text && !layers.objects) return;
    const TTestOverlayLabels labels{text(59).toStdString(), text(60).toStdString(), text(62).toStdString(),
                                    text(61).toStdString()};
    overlayPainter_.paint(painter, layers, labels);
}

void TDrawForm::closeEvent(QCloseEvent* event) {
    pictureActive_ = false;
    if (stream_) stream_->stop();
    testOverlay_->hide();
    Timer1.stop();
    Timer4.stop();
    Timer5.stop();
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace zep4
