#pragma once
// The about box: the logo, the program's name and version, the legal
// warning and the button that starts a system-information program.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system-information program, or says it is unavailable.
    void StartSysInfo();
    // Reads value SubKeyRef under KeyName of the settings store into KeyVal:
    // -1 when it was read, 0 (and KeyVal empty) when it is missing or longer
    // than 1024 bytes with its terminating zero.
    int GetKeyValue(const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
    QPushButton* cmdOK() const { return cmdOK_; }

private:
    QLabel* picture1_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QFrame* line0_ = nullptr;
    QFrame* line1_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};
