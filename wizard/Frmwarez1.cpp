#include "wizard/Frmwarez1.h"

Frmwarez1::Frmwarez1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmwarez1"));
}
