#pragma once
// The SPD wizard: a modal dialog of five steps (module type, speed grade,
// module parameters, timings, manufacturer's information) that fills the
// wizard answers and wizard texts of the program-wide state and raises the
// wizard finished flag on "Finish".

#include <QDialog>

class Frmwarez1 : public QDialog {
    Q_OBJECT
public:
    explicit Frmwarez1(QWidget* parent = nullptr);
};
