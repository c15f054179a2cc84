// TNetForm: the connection manager. Keeps the address book, asks for the sensor password,
// connects, and reports the login and the firmware version check.
#pragma once

#include <QDialog>
#include <filesystem>

#include "i18n/section_texts.h"
#include "link/address_book.h"
#include "link/login_procedure.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QWidget;

namespace zep4 {

class TDialogs;
class TLanguage;
class TLink;

class TNetForm : public QDialog {
    Q_OBJECT
public:
    TNetForm(TLink& link, TDialogs& dialogs, TLanguage& language, std::function<std::filesystem::path()> startDirectory,
             QWidget* parent = nullptr);

    TLoginProcedure& procedure() { return procedure_; }
    QString statusText() const;
    void setStatusText(const QString& text);
    QString text(int line) const { return texts_.message(line); }

    bool connectToSensor();

    // The address book as the grid holds it.
    std::vector<TAddressEntry> gridEntries() const;

public slots:
    void StringGrid1Click();
    void FlatSpeedButton1Click();  // Connect
    void FlatSpeedButton2Click();  // Disconnect
    void FlatSpeedButton3Click();  // Edit
    void FlatSpeedButton4Click();  // New
    void FlatSpeedButton5Click();  // Delete
    void FlatSpeedButton6Click();  // Accept
    void FlatSpeedButton7Click();  // Abort the entry editor
    void FlatSpeedButton8Click();  // Continue with the password
    void FlatSpeedButton9Click();  // Abort the password prompt
    void FlatSpeedButton11Click(); // PC-Info
    void SpeedButton2Click();      // Close

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormActivate();
    void FormClose();
    void loadGrid(const std::vector<TAddressEntry>& entries);
    void setRow(int row, const TAddressEntry& e);
    TAddressEntry row(int r) const;
    void info(const QString& text);

    TLink& link_;
    TDialogs& dialogs_;
    std::function<std::filesystem::path()> startDirectory_;
    TLoginProcedure procedure_;
    TSectionTexts texts_;
    TSectionTexts firmTexts_;
    bool newEntryInProgress_ = false;

    QTableWidget* grid_;
    QWidget* panel3_;
    QWidget* panel2_;
    QLineEdit *edit3_, *edit4_, *edit5_, *edit6_, *edit7_, *edit9_, *edit10_, *edit13_, *edit14_;
    QLabel* label15_;
    QStatusBar* statusBar_;
    QString hiddenUser_;
};

}  // namespace zep4
