#pragma once
// The two pin-map viewers: FrmICMAP shows the ball assignment of a DRAM
// chip package, FrmMDMAP the pin assignment of a module's edge connector.
// Each holds seven pictures and a list to choose among them; when it opens
// it picks the picture that fits the memory type last decoded.

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;

// One picture of a viewer, named as its control (D4X8_IMG, DDR3_DIMM_IMG,
// ...). Chip maps are drawn to fill the box; module maps are drawn to the
// box's width and scroll when their pin table is longer than the box.
class MapPicture : public QWidget {
    Q_OBJECT
public:
    enum Kind { Chip, Module };
    MapPicture(Kind kind, int index, QWidget* parent);
    int index() const { return index_; }
    Kind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Kind kind_;
    int index_;
};

class PinViewer : public QWidget {
    Q_OBJECT
public:
    // The picture shown (0..6), or -1.
    int shownPicture() const;
    QWidget* picture(int index) const { return pictures_.at(static_cast<std::size_t>(index)); }
    // True once the user has closed the viewer; it is then being unloaded.
    bool isUnloaded() const { return unloaded_; }

protected:
    explicit PinViewer(QWidget* parent);
    void showOnly(int index);
    void closeEvent(QCloseEvent* e) override;

    std::array<QWidget*, 7> pictures_{};
    bool unloaded_ = false;
};

class FrmICMAP : public PinViewer {
    Q_OBJECT
public:
    explicit FrmICMAP(QWidget* parent = nullptr);

    void Form_Load();
    void IC_COMBO_Click();

    QComboBox* IC_COMBO() const { return combo_; }
    QLabel* ICNAME_LABEL() const { return label_; }

private:
    QComboBox* combo_ = nullptr;
    QLabel* label_ = nullptr;
};

class FrmMDMAP : public PinViewer {
    Q_OBJECT
public:
    explicit FrmMDMAP(QWidget* parent = nullptr);

    void Form_Load();
    void DIMM_COMBO_Click();

    QComboBox* DIMM_COMBO() const { return combo_; }
    QLabel* MODULE_LABEL() const { return label_; }

private:
    QComboBox* combo_ = nullptr;
    QLabel* label_ = nullptr;
};
