#pragma once
// The two password dialogs: the login (frmLogin), shown at every start once
// a password has been set, and the password set-up (frmLogin1), shown on the
// first start and by "Password Setting".

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {
// The fixed master password; its text is also the password-set marker.
inline constexpr const char* kMasterPassword = "KT527";
} // namespace velmora

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* parent = nullptr);

    // Wrong entries so far in this showing.
    int PASS_COUNT = 0;

    void cmdOK_Click();
    void cmdCancel_Click();

    QLineEdit* txtPassword() const { return txtPassword_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

protected:
    void reject() override;

private:
    QLineEdit* txtPassword_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

class frmLogin1 : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin1(QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdCancel_Click();

    QLineEdit* txtPassword1() const { return txtPassword1_; }
    QLineEdit* txtPassword2() const { return txtPassword2_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    QLineEdit* txtPassword1_ = nullptr;  // the password typed again
    QLineEdit* txtPassword2_ = nullptr;  // the new password
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
