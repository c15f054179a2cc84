// TSendForm and TReceiveForm: the windows of the setup transfer. Both choose cameras with
// four toggle buttons and "1 - 4", start the camera setup or the whole setup, show the blocks
// of the current image on a progress bar and the outcome in their status bar, and close
// themselves shortly after a success. The procedures do the transfer.
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>

#include "i18n/section_texts.h"
#include "link/transfer_procedures.h"

class QCheckBox;
class QGridLayout;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace zep4 {

class TLanguage;
class TLink;
class TSetupStore;

// What the two windows share: camera buttons, progress, status, closing after success.
class TTransferForm : public QDialog {
    Q_OBJECT
public:
    QString statusText() const;
    int progressValue() const;
    std::array<bool, 4> chosenCameras() const;
    QString text(int line) const { return texts_.message(line); }

public slots:
    void FlatSpeedButton1Click();  // any camera button
    void FlatSpeedButton5Click();  // "1 - 4"
    void FlatSpeedButton8Click();  // close

protected:
    TTransferForm(TSetupStore& store, const QString& section, std::vector<TTextEntry> texts, QWidget* parent);
    // Builds the common controls; `extraRow` is placed between the start buttons and the
    // progress bar.
    void buildControls(QPushButton* cameraSetup, QPushButton* wholeSetup, QLayout* extraRow);
    void showEvent(QShowEvent* event) override;
    void setStatus(const QString& text);
    void setProgress(int value);
    void releaseCameraButtons();
    void pressCurrentCamera();
    void closeAfter(QTimer& timer);

    // The status lines of a window's section for what its procedure reports.
    struct TStatusLines {
        int nothingChosen;
        int globalImage;
        int cameraImage;  // followed by the camera number
        int success;
    };
    // Shows the procedure's progress and outcome; `closeTimer` closes the window after success.
    template <typename Procedure>
    void follow(Procedure& procedure, const TStatusLines& lines, QTimer& closeTimer);

    TSetupStore& store_;
    TSectionTexts texts_;
    std::array<QPushButton*, 4> cameraButtons_{};
    QProgressBar* progress_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
};

class TSendForm : public TTransferForm {
    Q_OBJECT
public:
    TSendForm(TLink& link, TSetupStore& store, TLanguage& language, QWidget* parent = nullptr);
    TTransmitProcedure& procedure() { return procedure_; }
    QTimer Timer2;  // closes the window 1500 ms after a success

public slots:
    void FlatSpeedButton6Click();  // send the chosen cameras
    void FlatSpeedButton7Click();  // send the whole setup

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void start(bool wholeSetup);
    TTransmitProcedure procedure_;
    std::array<QCheckBox*, 4> statistics_{};
};

class TReceiveForm : public TTransferForm {
    Q_OBJECT
public:
    TReceiveForm(TLink& link, TSetupStore& store, TLanguage& language, QWidget* parent = nullptr);
    TReceiveProcedure& procedure() { return procedure_; }
    QTimer Timer4;  // closes the window 600 ms after a success

public slots:
    void FlatSpeedButton7Click();  // receive the chosen cameras
    void FlatSpeedButton6Click();  // receive the whole setup

signals:
    // The window closed: what was received is to be shown (editor, camera names).
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    TReceiveProcedure procedure_;
};

}  // namespace zep4
