#pragma once
// The splash window shown before the main window: the product picture with
// the memory generations and the version over it; it closes 2000 ms after
// it appeared or at a click on the picture.

#include <QDialog>

class QLabel;
class QTimer;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    void Timer1_Timer();
    void Image1_Click();

    QLabel* Image1() const { return image1_; }
    QTimer* Timer1() const { return timer1_; }

private:
    QLabel* image1_ = nullptr;
    QTimer* timer1_ = nullptr;
};
