#include "editor/draw_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <cstring>

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
    // The drop-down lists and the area buttons lie above everything on the picture.
    areaPanel_->raise();
    cameraList_->raise();
    timeZoneList_->raise();
    modeList_->raise();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TDrawForm::Timer1Timer);
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(500);
    connect(&Timer2, &QTimer::timeout, this, &TDrawForm::Timer2Timer);
    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer4.setInterval(5000);
    connect(&Timer4, &QTimer::timeout, this, &TDrawForm::Timer4Timer);
    Timer5.setObjectName(QStringLiteral("Timer5"));
    Timer5.setInterval(500);
    Timer5.setSingleShot(true);

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
    QToolButton* stopTest = toolButton("FlatSpeedButton23", next(24), int(G::StopTest), false, "StoppTestmode",
                                       &TDrawForm::FlatSpeedButton23Click);
    // The live picture is not available yet: its buttons stay disabled.
    for (QToolButton* b : {getPicture, startTestButton_, freezeButton_, stopTest}) b->setEnabled(false);

    label(this, "CompressionLabel", QStringLiteral("Bildkompression:"), QRect(x, y + 7, 110, 18));
    x += 112;
    label(this, "CompressionMinus", QStringLiteral("-"), QRect(x, y + 7, 10, 18));
    compression_ = new QSlider(Qt::Horizontal, this);
    compression_->setObjectName(QStringLiteral("GFader1"));
    compression_->setGeometry(x + 12, y + 4, 80, 24);
    compression_->setRange(1, 3);
    compression_->setPageStep(1);
    compression_->setTickPosition(QSlider::TicksBelow);
    compression_->setTickInterval(1);
    compression_->setValue(2);
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
    connect(pages_, &QTabWidget::currentChanged, this, &TDrawForm::PageControl1Change);
}

void TDrawForm::applyTexts() {
    // The area buttons show their names as well as hinting them.
    for (QToolButton* b : areaButtons_) b->setText(b->toolTip().trimmed());
    SyncEditorControls();
    showModeName();
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

// The object segment and the perspective rectangles are placed by their pages.
void TDrawForm::placeShapes(int mode) {
    if (mode == kObjectMode) LoadObjectPage();
    else if (mode == kPerspectiveMode) LoadPerspectivePage();
    else hideShapes();
}

void TDrawForm::hideShapes() {}

void TDrawForm::LoadAreaPage() {
    Updating = true;
    if (ValidSelection(store_)) channelActive_->setChecked(store_.currentCamera().ChannelActive != 0);
    Updating = false;
}

void TDrawForm::LoadObjectPage() {}

void TDrawForm::LoadPerspectivePage() {}

// ---------------------------------------------------------------------------------------------
// Main window hooks

void TDrawForm::ResetEditor() {
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
    RefreshEditor();
    SyncEditorControls();
    ShowCameraPicture();
}

void TDrawForm::ShowChangedSetup() {
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
    if (pictureActive_) StorePicture();
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
    setAreaFlags(modeList_->currentRow());
    RefreshEditor();
    SyncEditorControls();
    modeList_->hide();
}

void TDrawForm::PageControl1Change() {
    if (!changingPage_) setAreaFlags(pages_->currentIndex());
}

void TDrawForm::FlatCheckBox2Click() {
    if (Updating || !ValidSelection(store_)) return;
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
    SetAllCells(store_);
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::FlatSpeedButton10Click() {
    if (dialogs_.message(this, MessageType::Confirmation, MessageButtons::YesNo, DeleteAreaPrompt()) ==
        MessageResult::No)
        return;
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

void TDrawForm::FlatSpeedButton16Click() {}

void TDrawForm::FlatSpeedButton22Click() {
    if (!pictureActive_) startTestButton_->setChecked(false);
    else if (!startTestButton_->isChecked()) StopLivePicture();
}

void TDrawForm::FlatSpeedButton23Click() { StopLivePicture(); }

void TDrawForm::StopLivePicture() {
    if (!pictureActive_) return;
    pictureActive_ = false;
    testOverlay_->hide();
    startTestButton_->setChecked(false);
    freezeButton_->setChecked(false);
    Timer2.stop();
    StorePicture();
    RefreshEditor();
    SyncEditorControls();
}

void TDrawForm::Timer2Timer() { Timer2.stop(); }

void TDrawForm::closeEvent(QCloseEvent* event) {
    pictureActive_ = false;
    Timer1.stop();
    Timer2.stop();
    Timer4.stop();
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace zep4
