#pragma once
// The SPD document window: one SPD image of 512 bytes shown as a hex grid
// beside the names of the bytes and a decoded summary; byte entry and row
// fill, the checksum mode, the date-code stamp, the type switch and decode
// dispatch, the pin map and the device panels. A child window of the main
// window; other windows reach it through its public operations.

#include "document/DocumentHost.h"
#include "rules/spd/ByteNameTables.h"
#include "state/Globals.h"
#include "platform/Look.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

class HexGrid;
class PinMap;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QTimer;

class frmDocument : public QWidget {
    Q_OBJECT
public:
    // host: the main window; without one the window asks nothing of the
    // programmer and saves nothing itself.
    explicit frmDocument(DocumentHost* host = nullptr, QWidget* parent = nullptr);
    ~frmDocument() override;

    // Runs once after the window is created and before the creator sets its
    // caption: empty image, names, full decode, the status request to the
    // programmer, the restricted-mode look, the pin-name tables.
    void Form_Load();

    // ---- Public operations ----
    // Shared SPD buffer := this image; current memory type := byte 2.
    void xmp_spd_load();
    // Sums bytes 0..255 and drops the sum; nothing in the program calls it.
    void cal_totalchksum();
    // Byte 63 := checksum of bytes 0..62, and its cell redrawn.
    void cal_chksum63();
    // Memory type switch (0 SDRAM, 1 DDR, 2 DDR2, 3 RAMBUS, 4 DDR3, 5 DDR4).
    void Type_Chang(int Index);
    int Get_Type() const { return memoryTypeCode_; }
    // Stores one byte and redraws its cell; nothing else. Throws
    // std::out_of_range for an index outside 0..511.
    void Value_Chang(int I_INDEX, int I_Value);
    // Decode dispatch for one byte.
    void table_chang(int A);
    void ddr4_table_chang(int A);
    void ddr3_table_chang(int A);
    void ddr2_table_chang(int A);
    // Manufacturer name lookup into Label59 and the JEDEC name string.
    void JEDEC_PROG(const QString& JEDEC);
    // Always 2; nothing in the program calls it.
    int Form_Sel() const { return 2; }
    // Throws std::out_of_range for an index outside 0..511.
    int Get_Value(int I_INDEX) const;
    // Paint one cell peach, or cyan; nothing in the program calls them.
    void Set_Value_color_same(int I_INDEX);
    void Set_Value_color_diff2(int I_INDEX);
    // One cell green (the SPD wizard's marks).
    void Set_Value_color_diff(int I_INDEX);
    int Chk_Form_Chang() const { return modified_; }
    // The window's caption without the modified mark it may end in.
    QString unmarkedCaption() const;
    void Set_form_chang(int REG_A);
    // Shows the window while it still loads, so that a wait of its load
    // can be seen.
    void bringIntoView();
    // Input-box entry of bytes 0..62.
    void key_in_data();
    void SD_LANG();
    void DDR_LANG();
    void DDR2_LANG();
    void DDR3_LANG();
    void DDR4_LANG();
    void TABLE_256BYTE();
    void TABLE_512BYTE();
    void RAMBUS_LANG();
    // Composes the byte listing and drops it; nothing in the program calls
    // it.
    void set_print_value();

    // ---- Event handlers ----
    void spd_l_value_Click(int index);
    // Runs for every key pressed in the entry box, before the box edits its
    // text; Enter stores the byte and moves on.
    void Text1_KeyDown(int key);
    void value_x_Click(int index);
    void Text2_KeyDown(int key);
    // The "SPD Date Code" box after it changed its state.
    void Check2_Click();
    // A checksum-mode button chosen by the user.
    void Optcrc_Click(int index);
    // The one-shot re-decode 2000 ms after the window opened.
    void Timer1_Timer();

    // ---- State ----
    const velmora::SpdImage& image() const { return image_; }
    int byteCursor() const { return byteCursor_; }
    void setByteCursor(int i);
    // Shows the selected byte's number, name and value again (after the
    // image was replaced under it).
    void showSelectedByte();
    const QString& byteName(int i) const { return names_[static_cast<std::size_t>(i)]; }
    // Decodes every byte of the image in ascending order, as after a load.
    void decodeAll();
    // 0 "Checksum", 1 "CRC (0-125)", 2 "None".
    int checksumMode() const;
    void setChecksumMode(int index);
    int savedDateByte(int k) const { return savedDate_[static_cast<std::size_t>(k)]; }
    // The text colour of cells that nobody marked: red in restricted mode.
    look::VbColor normalCellFore() const;

    // ---- Controls ----
    // The canvas holds every control.
    QWidget* canvas() const { return canvas_; }
    // The canvas's size: a window of this size shows all of it.
    static QSize contentSize();
    HexGrid* grid() const { return grid_; }
    PinMap* pinMap() const { return pinMap_; }
    QGroupBox* Frame1() const { return frame1_; }
    QGroupBox* Frame2() const { return frame2_; }
    QGroupBox* Frame3() const { return frame3_; }
    QGroupBox* Frame9() const { return frame9_; }
    QGroupBox* Frame10() const { return frame10_; }
    QGroupBox* Frame13() const { return frame13_; }
    QGroupBox* PIN_FRAME() const { return pinFrame_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    QRadioButton* Optcrc(int i) const { return optcrc_[static_cast<std::size_t>(i)]; }
    QCheckBox* Check2() const { return check2_; }
    QTimer* Timer1() const { return timer1_; }
    QTimer* Timer2() const { return timer2_; }
    // A label of the window by its name ("Label1", "Label59", ...); nullptr
    // when the window has no such label.
    QLabel* L(const QString& name) const;
    // Any named control of the window (frames, buttons, ...).
    QWidget* control(const QString& name) const;
    // Takes in the named labels of parts added to the window after it was
    // made (the device panels), so that L() finds them.
    void registerLabels();

    // The byte listing that set_print_value composes.
    QString byteListing() const;

    // ---- Lifetime ----
    // Work that runs on the window (its load, a device operation bound to
    // it, a test report written on it) holds it open while it runs: the
    // window is never closed, and so never destroyed, under that work. A
    // close asked for meanwhile (close box, Close, Close All, Exit) is
    // remembered and carried out once the last hold has ended.
    class Hold {
    public:
        explicit Hold(frmDocument* doc);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        QPointer<frmDocument> doc_;
    };
    bool isHeld() const { return holds_ > 0; }
    // A close was asked for while work held the window, and has not been
    // carried out yet (also between the end of the work and the close).
    bool closePending() const { return closePending_; }
    // The window's close has been asked for and not yet decided: it is
    // pending, or its save question is being asked. The user may keep the
    // window yet.
    bool closeUndecided() const { return closePending_ || askingClose_; }
    // A pending close is taken back (the Close All or Exit that asked for it
    // was cancelled): the window stays when its work ends.
    void keepOpen() { closePending_ = false; }
    // The window has accepted its close and is on its way out.
    bool isClosedForGood() const { return closedForGood_; }
    // Closes the window as its close box does: through its frame in the
    // main window when it has one.
    void closeWindow();

signals:
    // The window has closed for good.
    void documentClosed(frmDocument* doc);
    // The user kept the window open when asked about saving it.
    void closeRefused(frmDocument* doc);
    // The last hold on the window has ended.
    void released(frmDocument* doc);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void get_date_code();
    void last_form_close();
    void copyNames(bytenames::Table t, int last);
    void redrawAllCells();
    void storeCrcBytes(bool colour);
    void showSelection(int index, bool blankAfterByte);
    void applyPinTable(int family, bool soDimm);
    void setFrameShown(QWidget* w, bool shown);

    DocumentHost* host_ = nullptr;

    // Per-instance state.
    int memoryTypeCode_ = 0;
    velmora::SpdImage image_{};
    std::array<QString, 512> names_;
    std::int16_t modified_ = 0;
    int byteCursor_ = 0;
    look::VbColor savedCellColour_ = look::kButtonFace;
    std::array<int, 2> savedDate_{0, 0};
    std::array<int, 2> stampedAt_{93, 94};
    int dateYear_ = 0;
    int dateWeek_ = 0;
    int pinTableShown_ = -1;  // which pin-name table the tool tips show
    int holds_ = 0;
    bool closePending_ = false;
    bool askingClose_ = false;
    bool closedForGood_ = false;

    // Controls.
    QScrollArea* scroll_ = nullptr;
    QWidget* canvas_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    HexGrid* grid_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QGroupBox* frame9_ = nullptr;
    std::array<QRadioButton*, 3> optcrc_{};
    QGroupBox* frame13_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QLabel* label97_ = nullptr;
    QLabel* label98_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QLabel* label153_ = nullptr;
    QLabel* label60_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame10_ = nullptr;
    QGroupBox* pinFrame_ = nullptr;
    PinMap* pinMap_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QHash<QString, QLabel*> labels_;
};
