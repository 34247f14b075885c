#pragma once
// The tester's pin map inside the document's pin frame, painted as one
// widget: for each of the 145 channels a round mark (IO_SHAPE) whose fill
// colour the test report sets and a label (IO_PIN) with the channel's signal
// name and, as its tool tip, the module pin the channel reaches.

#include "platform/Look.h"

#include <QString>
#include <QWidget>
#include <array>

class PinMap : public QWidget {
    Q_OBJECT
public:
    explicit PinMap(QWidget* parent = nullptr);

    static constexpr int kMarks = 145;

    QString caption(int c) const;
    QString toolTipOf(int c) const { return toolTips_[static_cast<std::size_t>(c)]; }
    void setToolTipOf(int c, const QString& text);
    bool isChannelVisible(int c) const { return visible_[static_cast<std::size_t>(c)]; }

    look::VbColor fillColor(int c) const { return fill_[static_cast<std::size_t>(c)]; }
    void setFillColor(int c, look::VbColor color);

    QRect markRect(int c) const;
    QRect labelRect(int c) const;
    int channelAt(const QPoint& p) const;
    // The width that shows all eight columns with their captions.
    int neededWidth() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void layOut();

    // The widest caption in the map's font, and the step from one column's
    // mark to the next.
    int widest_ = 0;
    int pitch_ = 0;
    std::array<QString, kMarks> toolTips_;
    std::array<look::VbColor, kMarks> fill_;
    std::array<bool, kMarks> visible_;
};
