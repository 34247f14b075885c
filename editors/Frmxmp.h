#pragma once
// The XMP view: the JEDEC timings and the two XMP profiles of the DDR3 or
// DDR4 image in the shared SPD buffer, side by side, read-only. Modeless;
// the main window keeps one at a time. The captions come from
// rules/editors/XmpView; this window only places and draws them.

#include "rules/editors/XmpView.h"

#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

class Frmxmp : public QWidget {
    Q_OBJECT
public:
    explicit Frmxmp(QWidget* parent = nullptr);

    // The load step: puts every control back to its design state, then
    // decodes the shared SPD buffer by the current memory type. Any type but
    // 11 and 12 unloads the window (isUnloaded() turns true).
    void Form_Load();
    // "Close": unloads the window.
    void Command1_Click();
    // Places the window, before it is first shown, centred over owner (the
    // main window) and wholly on the screen that holds owner's centre: moved
    // up or aside just as far as it has to, never partly off the screen.
    void placeOver(const QWidget* owner);

    void JEDEC_DDR4_PROFILE();
    void DDR4_XMP_PROFILE1();
    void DDR4_XMP_PROFILE2();
    void JEDEC_DDR3_PROFILE();
    void DDR3_XMP_PROFILE1();
    void DDR3_XMP_PROFILE2();

    // ---- Controls ----
    // Value label `array(index)`, or nullptr where the array has no such
    // element (DDR3-only arrays have 0..2, DDR4-only arrays 3..5).
    QLabel* value(xmpview::Row r, int index) const;
    QLabel* value(const QString& array, int index) const;
    QFrame* Frame1(int k) const { return frame1_[idx(k)]; }
    QFrame* Frame2(int k) const { return frame2_[idx(k)]; }
    QFrame* Frame3(int k) const { return frame3_[idx(k)]; }
    QFrame* Frame4(int k) const { return frame4_[idx(k)]; }
    QFrame* Frame5(int k) const { return frame5_[idx(k)]; }
    QLabel* Label1(int k) const { return label1_[idx(k)]; }
    QLabel* Label20(int k) const { return label20_[idx(k)]; }
    QLabel* Label22() const { return label22_; }
    QLabel* Label23() const { return label23_; }
    QPushButton* Command1() const { return command1_; }

    // True once the window has been closed or has unloaded itself.
    bool isUnloaded() const { return unloaded_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    static std::size_t idx(int k) { return static_cast<std::size_t>(k == 1 ? 1 : 0); }
    void buildPanel(int k);
    void resetControls();
    void applyColumn(const xmpview::ColumnCaptions& col, int panel, int index);
    void setValue(QLabel* l, const xmpview::Cell& cell);
    void setRevision(const QString& text);
    void unload();

    std::array<std::array<QLabel*, 6>, xmpview::kRowCount> values_{};
    std::array<QFrame*, 2> frame1_{}, frame2_{}, frame3_{}, frame4_{}, frame5_{};
    std::array<QLabel*, 2> label1_{}, label20_{};
    QLabel* label22_ = nullptr;
    QLabel* label23_ = nullptr;
    QPushButton* command1_ = nullptr;
    bool unloaded_ = false;
};
