#include "app/frmSplash.h"

#include "platform/Look.h"
#include "resources/Pictures.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <functional>

using look::tw;
using look::twRect;

namespace {

class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
            onClick();
    }
};

QLabel* overlay(QWidget* parent, const char* name, const QString& text, double points, const QRect& r)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(points);
    f.setBold(true);
    f.setItalic(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setGeometry(r);
    return l;
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
    setFixedSize(tw(9600), tw(5400));

    auto* img = new ClickLabel(this);
    img->setObjectName(QStringLiteral("Image1"));
    img->setGeometry(twRect(0, 0, 9570, 5355));
    img->setScaledContents(true);
    img->setPixmap(pictures::splash());
    img->onClick = [this] { Image1_Click(); };
    image1_ = img;

    QLabel* kinds = overlay(this, "Label2(1)", QStringLiteral("DDR2/3/4"), 27.75, twRect(4800, 4320, 3015, 735));
    QLabel* ver = overlay(this, "Label1", QStringLiteral("Ver: e 1.1"), 18, QRect());
    ver->move(tw(7800), tw(4560));
    ver->adjustSize();
    // The memory kinds take the width of their text (the italic's last
    // letter leans out), the version stands right of them and inside the
    // picture; when the fonts run wider, the kinds move left to make room.
    const QFontMetrics fm(kinds->font());
    const QString kindsText = kinds->text();
    kinds->resize(std::max(fm.horizontalAdvance(kindsText), fm.tightBoundingRect(kindsText).right() + 1) + 2,
                  kinds->height());
    const int gap = tw(120);
    ver->move(std::max(ver->x(), kinds->geometry().right() + 1 + gap), ver->y());
    if (ver->geometry().right() > width() - 6)
        ver->move(width() - 6 - ver->width(), ver->y());
    if (kinds->geometry().right() + 1 + gap > ver->x())
        kinds->move(ver->x() - gap - kinds->width(), kinds->y());

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(2000);
    connect(timer1_, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    timer1_->start();
}

void frmSplash::Timer1_Timer() { accept(); }
void frmSplash::Image1_Click() { accept(); }
