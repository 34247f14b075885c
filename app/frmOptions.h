#pragma once
// The communication port options: which of the serial ports 1 to 4 the
// programmer is attached to.

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class frmMain;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(frmMain* main);

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    // optCom(1) .. optCom(4); the index is the port number.
    QRadioButton* optCom(int index) const { return optCom_.at(static_cast<std::size_t>(index - 1)); }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    frmMain* main_;
    QLabel* image1_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 4> optCom_{};
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
