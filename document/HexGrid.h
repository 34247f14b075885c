#pragma once
// The document's hex grid, painted as one widget: the 512 byte cells
// (spd_l_value 0..511), the 48 headers (value_x: 0..15 column headers,
// 16..31 row headers "00".."F0", 32..47 row headers "100".."1F0") and the two
// grid lines. Each cell and header keeps its own caption, colours and
// enabled state, as separate label controls would.

#include "platform/Look.h"

#include <QString>
#include <QWidget>
#include <array>

class HexGrid : public QWidget {
    Q_OBJECT
public:
    explicit HexGrid(QWidget* parent = nullptr);

    struct Item {
        QString caption;
        look::VbColor back = look::kButtonFace;
        look::VbColor fore = look::kWindowText;
        bool enabled = true;
    };

    static constexpr int kCells = 512;
    static constexpr int kHeaders = 48;

    // Cells.
    const Item& cell(int i) const { return cells_[static_cast<std::size_t>(i)]; }
    void setCaption(int i, const QString& caption);
    void setCellBack(int i, look::VbColor c);
    void setCellFore(int i, look::VbColor c);
    void setCellEnabled(int i, bool on);
    QString cellToolTip(int i) const;
    QRect cellRect(int i) const;
    // The fixed-pitch font the cells are drawn in (the headers use the
    // widget's own font).
    const QFont& cellFont() const { return cellFont_; }

    // Headers.
    const Item& header(int k) const { return headers_[static_cast<std::size_t>(k)]; }
    void setHeaderBack(int k, look::VbColor c);
    void setHeaderFore(int k, look::VbColor c);
    void setHeaderEnabled(int k, bool on);
    QRect headerRect(int k) const;

    // Lower end of the vertical grid line, in twips (8280 or 4500).
    int line4Bottom() const { return line4Bottom_; }
    void setLine4Bottom(int twips);

    // Hit test in widget coordinates: cell index, or -1.
    int cellAt(const QPoint& p) const;
    int headerAt(const QPoint& p) const;

signals:
    void cellClicked(int index);
    void headerClicked(int index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    void updateCell(int i);
    void updateHeader(int k);

    std::array<Item, kCells> cells_;
    std::array<Item, kHeaders> headers_;
    std::array<QRect, kCells> cellRects_;
    std::array<QRect, kHeaders> headerRects_;
    int line4Bottom_ = 8280;
    int pressedCell_ = -1;
    int pressedHeader_ = -1;
    QFont cellFont_;
};
