// TDrawForm: the area editor, the main window's document window. The user picks camera, time
// zone and area, draws the area's cells over the camera picture with the rectangle and polygon
// tools (left button draws, right button erases), fills or deletes the area, switches the
// area's operating mode, sizes the reference object (the object segment, or the foreground and
// background rectangles of the perspective) by dragging it over the picture, sets the limits on
// the three parameter pages, and undoes and redoes its changes. The arithmetic lives in
// cell_tools, perspective and undo_history; this window binds the controls to it and to the
// store.
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
#include "ui/gfader.h"
#include "editor/perspective.h"
#include "editor/stretch_handle.h"
#include "editor/undo_history.h"
#include "editor/live_view.h"
#include "i18n/section_texts.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QShortcut;
class QFrame;
class QLabel;
class QListWidget;
class QSlider;
class QTabWidget;
class QToolButton;

namespace zep4 {

class TDialogs;
class TLanguage;
class TPictureStream;
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
    // the current camera's picture shown; then RefreshEditor and SyncEditorControls. The undo
    // history is cleared.
    void ResetEditor();
    // After a setup file was opened (the selection is camera 1 of time zone 1 again):
    // RefreshEditor, SyncEditorControls and the current camera's picture shown. The undo
    // history is cleared.
    void ShowOpenedSetup();
    // After the store changed otherwise (received setup, copy, options): RefreshEditor and
    // SyncEditorControls. The undo history is cleared, as the store was replaced under it.
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
    // With the Standard rule the volume limits are first set from the volume.
    void LoadObjectPage(bool standardRule = false);
    void LoadPerspectivePage(bool standardRule = false);

    // The object segment and the perspective rectangles.
    void FrontHandleMouseUp();    // foreground dragged: stored, the background fitted
    void BackHandleMouseUp();     // background dragged: fitted to the foreground
    void SegmentHandleMouseUp();  // object segment dragged
    void FrontShapeMouseDown();
    void Timer5Timer();

    // The parameter pages.
    void GFader5Change();   // area page "Min."
    void GFader6Change();   // area page "Max."
    void FlatEdit5Change();
    void FlatEdit6Change();
    void FlatComboBox7Change();  // area page sensitivity
    void FlatComboBox2Change();  // reset time
    void FlatCheckBox3Click();   // "Switch Relay"
    void GFader8Change();   // object page maximum volume
    void GFader7Change();   // object page minimum volume
    void FlatComboBox4Change();  // object page sensitivity
    void FlatSpeedButton24Click();  // object page "Standard"
    void CheckBox1Click();  // both "Personenerkennung" boxes
    void GFader9Change();   // foreground maximum
    void GFader10Change();  // foreground minimum
    void GFader11Change();  // background maximum
    void GFader12Change();  // background minimum
    void FlatComboBox3Change();  // foreground sensitivity
    void FlatComboBox5Change();  // background sensitivity
    void CheckBox3Click();  // "Horizontal Perspective"
    void CheckBox4Click();  // "Verticale Perspective"
    void FlatSpeedButton26Click();  // perspective page "Standard"

    // Undo history: every drawing gesture, "Set all", "Delete", rectangle drag and page change
    // is one step for the camera, time zone and area it changed. After an undo or a redo the
    // editor shows that camera, time zone and area. The history is to be cleared whenever the
    // store is replaced wholesale (a file opened, a reset, a setup received, the options
    // committed). Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo while the focus is in the editor.
    void undo();
    void redo();
    void clearUndoHistory();

    // The live picture and test mode. The buttons stay disabled until the live picture is
    // available; StopLivePicture is safe to call at any time.
    void FlatSpeedButton16Click();  // "Get Picture"
    void FlatSpeedButton22Click();  // StartTestmode
    void FlatSpeedButton23Click();  // StoppTestmode
    void StopLivePicture();
    void Timer2Timer();  // the live picture watchdog: the stream's Timer2

public:
    // The live picture stream the bottom bar drives; its buttons are enabled from then on.
    void setPictureStream(TPictureStream* stream);
    TPictureStream* pictureStream() const { return stream_; }
    // What the test overlay shows: the overlay of the last picture displayed.
    const TTestOverlay& testOverlay() const { return overlayPainter_.overlay(); }

signals:
    // "Details": the sensor options window is to be shown.
    void detailsRequested();
    // A camera was chosen while a picture transfer runs: the next request asks for it.
    void pictureCameraChanged(int camera);
    // The window was closed (the main window clears its editor check mark).
    void closed();
    // The undo history changed what can be undone or redone.
    void undoStateChanged(bool canUndo, bool canRedo);

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

    // --- perspective, parameter pages and undo ----------------------------------------------
public:
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    const TUndoHistory& undoHistory() const { return history_; }
    // The editor's undo and redo keys; off when the main window's menu takes the keys.
    void setUndoShortcutsEnabled(bool enabled);

private:
    // One undo step around a change: the outermost scope opens the step and closes it. A
    // merge key makes consecutive changes of one control (a fader dragged, a number typed)
    // a single step.
    class UndoScope {
    public:
        UndoScope(TDrawForm& form, int mergeKey = 0);
        ~UndoScope();
        UndoScope(const UndoScope&) = delete;
        UndoScope& operator=(const UndoScope&) = delete;

    private:
        TDrawForm& form_;
        int mergeKey_;
    };
    void buildShapes();
    void buildObjectPage(QWidget* page);
    void buildPerspectivePage(QWidget* page);
    void buildAreaPage(QWidget* page);
    void showPerspectiveShapes();
    void placeObjectSegment();
    void attachPerspectiveHandles();
    TAreaGeometry* currentGeometry();
    // MaxLimitLabel (line 56) or MinLimitLabel (line 58), the value, LimitUnitLabel and the
    // value's percentage of the reference.
    QString limitCaption(int labelLine, int value, int reference) const;
    void loadLimitFaders(GFader* maxFader, GFader* minFader, int32_t volume, int32_t cellCount, int32_t maxVolume,
                         int32_t minVolume);
    void storeVolumeLimit(GFader* fader, int number, int32_t TAreaGeometry::*field, bool objectPage);
    void storePerspective(bool (*storeRectangle)(TAreaGeometry&, const TPixelRect&, const TPixelRect&));
    int faderMergeKey(const GFader* fader, int number) const;
    void showPlace(const TUndoPlace& place);
    void reportUndoState();

    TUndoHistory history_;
    int undoDepth_ = 0;
    std::pair<bool, bool> reportedUndoState_{false, false};
    std::vector<QShortcut*> undoShortcuts_;

    TShape* segmentShape_ = nullptr;          // SegmentShape
    TStretchHandle* segmentHandle_ = nullptr; // SegmentHandle
    TShape* frontShape_ = nullptr;            // FrontShape
    TStretchHandle* frontHandle_ = nullptr;   // FrontHandle
    TShape* backShape_ = nullptr;             // BackShape
    TStretchHandle* backHandle_ = nullptr;    // BackHandle

    // Object page.
    GFader* maxObjectFader_ = nullptr;        // GFader8
    GFader* minObjectFader_ = nullptr;        // GFader7
    QLabel* objectVolume_ = nullptr;          // Label43
    QComboBox* objectSensitivity_ = nullptr;  // FlatComboBox4
    QCheckBox* objectPerson_ = nullptr;       // CheckBox2
    // Perspective page.
    GFader* frontMaxFader_ = nullptr;         // GFader9
    GFader* frontMinFader_ = nullptr;         // GFader10
    GFader* backMaxFader_ = nullptr;          // GFader11
    GFader* backMinFader_ = nullptr;          // GFader12
    QLineEdit* frontVolume_ = nullptr;        // FlatEdit11
    QLineEdit* backVolume_ = nullptr;         // FlatEdit15
    QComboBox* frontSensitivity_ = nullptr;   // FlatComboBox3
    QComboBox* backSensitivity_ = nullptr;    // FlatComboBox5
    QCheckBox* horizontal_ = nullptr;         // CheckBox3
    QCheckBox* vertical_ = nullptr;           // CheckBox4
    QCheckBox* perspectivePerson_ = nullptr;  // CheckBox1
    // Area page.
    QLabel* cellCount_ = nullptr;             // Label5
    GFader* maxCellsFader_ = nullptr;         // GFader6
    GFader* minCellsFader_ = nullptr;         // GFader5
    QLineEdit* maxCellsEdit_ = nullptr;       // FlatEdit6
    QLineEdit* minCellsEdit_ = nullptr;       // FlatEdit5
    QComboBox* areaSensitivity_ = nullptr;    // FlatComboBox7
    QComboBox* resetTime_ = nullptr;          // FlatComboBox2
    QCheckBox* switchRelay_ = nullptr;        // FlatCheckBox3

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
    GFader* compression_ = nullptr;           // GFader1

    // The live picture.
    void DecodePicture();
    void pictureStateChanged();
    void endLivePicture(bool releaseStartButton);
    void paintTestOverlay(QPainter& painter);
    bool socketMissing();
    int storeShownPicture();
    void keepShownPicture();
    TPictureStream* stream_ = nullptr;
    QMetaObject::Connection cameraConnection_;
    // The camera whose live picture is on screen; -1 while the picture shown is the current
    // camera's stored one.
    int livePictureCamera_ = -1;
    TLivePictureDecoder decoder_;
    TTestOverlayPainter overlayPainter_;
    // Two pictures in turn: the one shown is never written while the next is decoded.
    std::array<QImage, 2> livePictures_;
    size_t liveIndex_ = 0;
    std::array<QToolButton*, 4> liveButtons_{};  // FlatSpeedButton16, 22, 21, 23
    QToolButton* alarmCellsButton_ = nullptr;     // FlatSpeedButton13
    QToolButton* textButton_ = nullptr;           // FlatSpeedButton12
    QToolButton* objectsButton_ = nullptr;        // FlatSpeedButton14
};

}  // namespace zep4
