// TDrawForm: the area editor, the main window's document window. The user picks camera, time
// zone and area, draws the area's cells over the camera picture with the rectangle and polygon
// tools (left button draws, right button erases), fills or deletes the area, and switches the
// area's operating mode. The cell arithmetic lives in cell_tools; this window binds the
// controls to it and to the store.
#pragma once

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "editor/cell_tools.h"
#include "editor/edit_overlay.h"
#include "i18n/section_texts.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QSlider;
class QTabWidget;
class QToolButton;

namespace zep4 {

class TDialogs;
class TLanguage;
class TSetupStore;

class TDrawForm : public QWidget {
    Q_OBJECT
public:
    TDrawForm(TSetupStore& store, TDialogs& dialogs, TLanguage& language, QWidget* parent = nullptr);
    ~TDrawForm() override;

    // Recounts and clamps the current area, shows the page of its mode and repaints the
    // overlay. While a picture transfer runs or a drawing tool is down it only repaints.
    void RefreshEditor();
    // Copies the selection and the editor state into the controls.
    void SyncEditorControls();
    // Cell (column, row) is set in one of the other three areas of the current camera.
    bool AreaTakenElsewhere(int column, int row) const;

    // --- what the main window calls ---------------------------------------------------------
    // After ResetSetup: no tool, all areas shown, area colour red, "Show alarm area" down,
    // the current camera's picture shown; then RefreshEditor and SyncEditorControls.
    void ResetEditor();
    // After a setup file was opened (the selection is camera 1 of time zone 1 again):
    // RefreshEditor, SyncEditorControls and the current camera's picture shown.
    void ShowOpenedSetup();
    // After the store changed otherwise (received setup, copy, options): RefreshEditor and
    // SyncEditorControls.
    void ShowChangedSetup();
    // CameraPicture[CurrentCamera] drawn, stretched to 720 x 540, into the editor's picture.
    void ShowCameraPicture();
    // A picture was loaded into CameraPicture[CurrentCamera]: shown, and with refreshOverlay
    // the overlay and the controls are refreshed as well.
    void PictureLoaded(bool refreshOverlay);
    // The picture the editor shows (Image1), 720 x 540, for "Save picture".
    const QImage& picture() const;
    // Draws an image, stretched to 720 x 540, into the editor's picture.
    void setPicture(const QImage& image);
    // The editor's picture, stretched to 720 x 540, into CameraPicture[CurrentCamera].
    void StorePicture();

    // A picture transfer runs: the overlay is not painted and RefreshEditor only repaints.
    bool pictureActive() const { return pictureActive_; }
    void setPictureActive(bool active);

    // --- the editor's state -----------------------------------------------------------------
    int tool() const { return Tool; }
    bool showAllAreas() const { return ShowAllAreas; }
    uint8_t drawValue() const { return DrawValue; }
    QColor drawColour() const { return DrawColour; }
    QColor areaColour() const { return AreaColour; }
    int pointCount() const { return polygon_.pointCount(); }
    std::span<const TPixelPoint> polygonPoints() const { return polygon_.rubberBand(); }
    const TDragRect& dragRect() const { return rectangle_.rect(); }
    bool mouseIsDown() const { return MouseIsDown; }
    bool escCancelled() const { return EscCancelled; }
    bool closeRequested() const { return CloseRequested; }
    bool updating() const { return Updating; }
    bool perspectiveShown() const { return PerspectiveShown; }
    QString DeleteAreaPrompt() const { return texts_.message(54); }
    QString SetAllPrompt() const { return texts_.message(55); }
    // A message text of the editor's section (line n).
    QString text(int line) const { return texts_.message(line); }

    QTimer Timer1;  // 1000 ms: holding the button on a vertex closes the polygon
    QTimer Timer2;  // live picture watchdog
    QTimer Timer4;  // 5000 ms: hides the drop-down lists
    QTimer Timer5;  // 500 ms: attaches the perspective handles once the shapes are placed

public slots:
    void FlatSpeedButton1Click();   // camera button: camera list
    void ListBox1Click();           // camera chosen
    void FlatSpeedButton15Click();  // time-zone button: time-zone list
    void ListBox2Click();           // time zone chosen
    void FlatSpeedButton25Click();  // "actual Area": the area buttons
    void FlatSpeedButton2Click();   // area buttons 2..5: area 0..3
    void FlatSpeedButton7Click();   // Draw Rectangle
    void FlatSpeedButton8Click();   // Draw Polygon
    void FlatSpeedButton9Click();   // Set all fields of the area
    void FlatSpeedButton10Click();  // Delete current area
    void FlatSpeedButton11Click();  // "Show area 1...4" and "Show alarm area"
    void FlatSpeedButton6Click();   // mode button: mode list
    void ListBox3Click();           // mode chosen
    void PageControl1Change();      // mode tab chosen
    void FlatCheckBox2Click();      // "Kanal aktiv"
    void SpeedButton3Click();       // "Details"
    void PaintBox1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint pos);
    void PaintBox1MouseMove(Qt::MouseButtons buttons, QPoint pos);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint pos);
    void FormKeyPress(int key);     // Esc (27) anywhere in the window
    void Timer1Timer();
    void Timer4Timer();

    // The parameter pages, loaded from the setup of the current area.
    void LoadAreaPage();
    void LoadObjectPage();
    void LoadPerspectivePage();

    // The live picture and test mode. The buttons stay disabled until the live picture is
    // available; StopLivePicture is safe to call at any time.
    void FlatSpeedButton16Click();  // "Get Picture"
    void FlatSpeedButton22Click();  // StartTestmode
    void FlatSpeedButton23Click();  // StoppTestmode
    void StopLivePicture();
    void Timer2Timer();

signals:
    // "Details": the sensor options window is to be shown.
    void detailsRequested();
    // A camera was chosen while a picture transfer runs: the next request asks for it.
    void pictureCameraChanged(int camera);
    // The window was closed (the main window clears its editor check mark).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopBar();
    void buildPicturePanel();
    void buildToolColumn();
    void buildBottomBar();
    void buildRightSide();
    QToolButton* toolButton(const char* name, QPoint at, int glyph, bool toggle, const char* hint,
                            void (TDrawForm::*clicked)());
    void applyTexts();
    void paintEditOverlay(QPainter& painter);
    void hideLists();
    void showList(QListWidget* list);
    void setAreaFlags(int mode);
    void showModeName();
    void placeShapes(int mode);
    void hideShapes();

    TSetupStore& store_;
    TDialogs& dialogs_;
    TSectionTexts texts_;
    TEditOverlayPass overlayPass_;

    // Editor state.
    int Tool = 0;
    bool ShowAllAreas = false;
    uint8_t DrawValue = 1;
    QColor DrawColour = Qt::red;
    QColor AreaColour = Qt::red;
    bool MouseIsDown = false;
    bool EscCancelled = false;
    bool CloseRequested = false;
    bool Updating = true;
    bool PerspectiveShown = false;
    bool segmentHandleMarked_ = true;  // the object segment's handle waits for the first press
    bool pictureActive_ = false;
    bool buttonHeld_ = false;          // a mouse button is down on the picture
    bool changingPage_ = false;        // the page is chosen by code, not by the user
    TPolygonGesture polygon_;
    TRectangleGesture rectangle_;
    std::vector<TPixelPoint> closingPolygon_;  // filled once by the next paint

    // Controls.
    QToolButton* cameraButton_ = nullptr;    // FlatSpeedButton1
    QToolButton* timeZoneButton_ = nullptr;  // FlatSpeedButton15
    QToolButton* actualAreaButton_ = nullptr;  // FlatSpeedButton25
    QCheckBox* channelActive_ = nullptr;     // FlatCheckBox2
    QFrame* picturePanel_ = nullptr;
    TImageBox* image_ = nullptr;             // Image1
    TPaintBox* editOverlay_ = nullptr;       // PaintBox1
    TPaintBox* testOverlay_ = nullptr;       // PaintBox2
    QListWidget* cameraList_ = nullptr;      // ListBox1
    QListWidget* timeZoneList_ = nullptr;    // ListBox2
    QListWidget* modeList_ = nullptr;        // ListBox3
    QFrame* areaPanel_ = nullptr;
    std::array<QToolButton*, 4> areaButtons_{};  // FlatSpeedButton2..5
    QButtonGroup* areaGroup_ = nullptr;
    QToolButton* rectangleButton_ = nullptr;  // FlatSpeedButton7
    QToolButton* polygonButton_ = nullptr;    // FlatSpeedButton8
    QToolButton* showAllButton_ = nullptr;    // FlatSpeedButton11
    QToolButton* showAlarmButton_ = nullptr;  // FlatSpeedButton18
    QToolButton* modeButton_ = nullptr;       // FlatSpeedButton6
    QTabWidget* pages_ = nullptr;             // PageControl1
    QToolButton* startTestButton_ = nullptr;  // FlatSpeedButton22
    QToolButton* freezeButton_ = nullptr;     // FlatSpeedButton21
    QSlider* compression_ = nullptr;          // GFader1
};

}  // namespace zep4
