#pragma once
#include "common/color.h"
#include "common/color_rules.h"
#include "dialogs/setup_values.h"

#include <QDialog>
#include <QLabel>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QToolButton;

namespace glimra {

class TSetupHost;

// A plain panel that reports clicks: colour swatches, the font sample, the preview.
class TPanel : public QLabel {
    Q_OBJECT
public:
    TPanel(const QString& caption, QWidget* parent);
    TColor Color() const { return PanelColor; }
    void SetColor(TColor color);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor PanelColor = clBlack;
};

// "Glimra Setup": shows the settings the control window fills in, keeps the colour
// preview current, lets the user pick colours and order the modules, and hands
// every command to the control window. Closing only hides it.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(TSetupHost& host);

    // The colour preview from the three scroll bars.
    void ScrollBar1Change();
    void SpeedButton1Click(); // up
    void SpeedButton2Click(); // down
    // Stores the module list, then restarts the module system on Yes.
    void Button8Click();
    void PageControl1Change();

    // The radio group "再描画の優先度": item 0 "Idle" to 4 "Higher".
    int DrawThreadIndex() const;
    void SetDrawThreadIndex(int index);
    // The font sample's font and text colour.
    QColor Panel1Color() const;
    void SetPanel1Font(const QFont& font, const QColor& color);
    // The module list as lines, and the selected line or -1.
    std::vector<TCheckLine> ModuleLines() const;
    void SetModuleLines(const std::vector<TCheckLine>& lines);
    int SelectedLine() const;
    void SelectLine(int index);
    // The rules page's rows, rows without a pattern left out.
    std::vector<TColorRule> Rules() const;
    void SetRules(const std::vector<TColorRule>& rules);
    // Moves the selected rule one row up (-1) or down (+1).
    void MoveRule(int delta);

    QPushButton* Button7 = nullptr; // Version check
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // System
    QWidget* TabSheet3 = nullptr; // Color
    QWidget* TabSheet2 = nullptr; // Modules
    QWidget* TabSheet4 = nullptr; // Rules
    QLabel* eStatus = nullptr;
    QPushButton* UPDATE = nullptr;
    QPushButton* Button5 = nullptr; // CLOSE

    QPushButton* Button3 = nullptr; // refresh
    QPushButton* Button2 = nullptr; // center
    QPushButton* Button1 = nullptr; // show
    QPushButton* Button4 = nullptr; // hide
    QCheckBox* Opening = nullptr;
    QGroupBox* DrawThread = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QSpinBox* eRetry = nullptr;
    QSpinBox* eWait = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QSpinBox* eCapture = nullptr;
    QSpinBox* eLevel = nullptr;
    QSpinBox* eScrollWait = nullptr;
    QCheckBox* CheckBox1 = nullptr; // Word-Wrap
    QCheckBox* eLayer = nullptr;

    TPanel* eActiveTitle = nullptr;
    TPanel* eTitle = nullptr;
    TPanel* eActiveMenu = nullptr;
    TPanel* eMenu = nullptr;
    TPanel* eFile = nullptr;
    TPanel* Panel1 = nullptr; // font sample
    QCheckBox* REVERSE = nullptr;
    QScrollBar* ScrollBar1 = nullptr; // R
    QScrollBar* ScrollBar2 = nullptr; // G
    QScrollBar* ScrollBar3 = nullptr; // B
    QLabel* LR = nullptr;
    QLabel* LG = nullptr;
    QLabel* LB = nullptr;
    TPanel* Panel3 = nullptr; // preview

    QCheckBox* CheckBox2 = nullptr; // 定時・再描画スレッド
    QListWidget* CheckListBox1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QPushButton* Button8 = nullptr; // the module page's UPDATE

    // Pattern, colour swatch and alert box per row.
    QTableWidget* RuleList = nullptr;
    QLabel* RuleProblems = nullptr; // expressions that do not compile, by rule number
    QPushButton* RuleAdd = nullptr;
    QPushButton* RuleRemove = nullptr;
    QPushButton* RuleUp = nullptr;
    QPushButton* RuleDown = nullptr;

private:
    void BuildSystemPage();
    void BuildColorPage();
    void BuildModulesPage();
    void BuildRulesPage();
    void AddRuleRow(const TColorRule& rule);
    std::vector<TColorRule> RuleRows() const;
    void ShowRuleProblems();
    void ChooseSwatchColor(TPanel* swatch);
    void MoveSelected(int delta);

    TSetupHost& Host;
    QButtonGroup* DrawThreadItems = nullptr;
};

} // namespace glimra
