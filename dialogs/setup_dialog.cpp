#include "dialogs/setup_dialog.h"

#include "common/qt_color.h"
#include "dialogs/setup_host.h"
#include "platform/folder_dialog.h"
#include "platform/message_box.h"
#include "settings/font_data_qt.h"
#include "settings/reg_ini_rec.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <limits>

namespace glimra {
namespace {

inline constexpr int ClientWidth = 501;
inline constexpr int ClientHeight = 373;
// The system colour a window's background has (clWindow).
inline constexpr TColor WindowColor = SystemColorBase + 5;

template <typename W> W* Place(W* widget, int x, int y, int w, int h) {
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* Label(const char* text, QWidget* parent, int x, int y, int w = 0) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->adjustSize();
    label->move(x, y);
    if (w > 0)
        label->resize(w, label->height());
    return label;
}

QPushButton* Button(const char* caption, QWidget* parent, int x, int y, int w = 75, int h = 21) {
    return Place(new QPushButton(QString::fromUtf8(caption), parent), x, y, w, h);
}

QCheckBox* CheckBox(const char* caption, QWidget* parent, int x, int y, int w = 97) {
    return Place(new QCheckBox(QString::fromUtf8(caption), parent), x, y, w, 17);
}

// A spin edit; without limits it takes any 32-bit value.
QSpinBox* SpinEdit(QWidget* parent, int x, int y, int w, int value,
                   int low = std::numeric_limits<int>::min(),
                   int high = std::numeric_limits<int>::max()) {
    auto* edit = Place(new QSpinBox(parent), x, y, w, 21);
    edit->setRange(low, high);
    edit->setValue(value);
    return edit;
}

} // namespace

TPanel::TPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void TPanel::SetColor(TColor color) {
    PanelColor = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Window, ToQColor(color));
    setPalette(colors);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

TForm3::TForm3(TSetupHost& host)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      Host(host) {
    setWindowTitle(QStringLiteral("Glimra Setup"));
    RegisterFontSubstitutes();
    QFont dialogFont(QString::fromUtf8(DefaultFontName));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    auto* bar = Place(new QWidget(this), 0, 0, ClientWidth, 33);
    Button7 = Button("Version check", bar, 8, 4, 481, 25);
    PageControl1 = Place(new QTabWidget(this), 0, 33, ClientWidth, 309);
    TabSheet1 = new QWidget;
    TabSheet3 = new QWidget;
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("System"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Color"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Modules"));
    TabSheet4 = new QWidget;
    PageControl1->addTab(TabSheet4, QStringLiteral("Rules"));
    // Wide enough for the longest status, up to the buttons beside it.
    eStatus = Label("-", this, 4, 352, 320);
    UPDATE = Button("UPDATE", this, 332, 348);
    Button5 = Button("CLOSE", this, 416, 348);
    BuildSystemPage();
    BuildColorPage();
    BuildModulesPage();
    BuildRulesPage();
    PageControl1->setCurrentWidget(TabSheet1);

    connect(Button7, &QPushButton::clicked, this, [this] { Host.OpenProductPage(); });
    connect(UPDATE, &QPushButton::clicked, this, [this] { Host.ApplySetup(); });
    connect(Button5, &QPushButton::clicked, this, [this] {
        Host.ShowHiddenWindows();
        hide();
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm3::PageControl1Change);
}

void TForm3::BuildSystemPage() {
    QWidget* page = TabSheet1;
    Button3 = Button("refresh", page, 8, 8);
    Button2 = Button("center", page, 88, 8);
    Button1 = Button("show", page, 8, 32);
    Button4 = Button("hide", page, 88, 32);
    connect(Button3, &QPushButton::clicked, this, [this] { Host.RefreshBackground(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Host.CentreActiveWindow(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Host.ShowHiddenWindows(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Host.HideAllWindows(); });
    Opening = CheckBox("Opening", page, 8, 56);

    // Five items in 73 pixels below the caption: rows of 11 pixels.
    DrawThread = Place(new QGroupBox(QString::fromUtf8("再描画の優先度"), page), 168, 4, 105, 73);
    DrawThreadItems = new QButtonGroup(this);
    const char* items[] = {"Idle", "Lowest", "Lower", "Normal", "Higher"};
    for (int i = 0; i < 5; ++i) {
        auto* item = Place(new QRadioButton(QString::fromLatin1(items[i]), DrawThread), 8,
                           15 + 11 * i, 92, 12);
        DrawThreadItems->addButton(item, i);
    }
    SetDrawThreadIndex(0);

    GroupBox1 =
        Place(new QGroupBox(QString::fromUtf8("ファイルの更新検出の設定"), page), 8, 80, 265, 73);
    Label("Retry", GroupBox1, 8, 22);
    eRetry = SpinEdit(GroupBox1, 48, 18, 81, 10);
    Label("times", GroupBox1, 136, 22);
    Label("Wait", GroupBox1, 8, 46);
    eWait = SpinEdit(GroupBox1, 48, 42, 81, 4500);
    Label("msec.", GroupBox1, 136, 46);

    GroupBox2 = Place(new QGroupBox(QString::fromUtf8("表示の設定"), page), 280, 4, 201, 149);
    Label("Capture wait", GroupBox2, 8, 20);
    eCapture = SpinEdit(GroupBox2, 96, 16, 89, 0);
    Label("Light Level", GroupBox2, 8, 44);
    eLevel = SpinEdit(GroupBox2, 96, 40, 89, 1, 1, 10);
    Label("Scroll wait", GroupBox2, 8, 68);
    eScrollWait = SpinEdit(GroupBox2, 96, 64, 89, 0, 0, 1000);
    CheckBox1 = CheckBox("Word-Wrap", GroupBox2, 8, 94, 185);
    CheckBox1->setChecked(true);
    eLayer = CheckBox("use W2K Layer", GroupBox2, 8, 118, 185);
}

void TForm3::BuildColorPage() {
    QWidget* page = TabSheet3;
    struct {
        TPanel** Swatch;
        const char* Caption;
    } swatches[] = {{&eActiveTitle, "アクティブ・タイトルバー"},
                    {&eTitle, "非アクティブ・タイトルバー"},
                    {&eActiveMenu, "アクティブ・メニュー"},
                    {&eMenu, "メニュー"},
                    {&eFile, "ファイル名"}};
    int y = 12;
    for (const auto& s : swatches) {
        TPanel* swatch = Place(new TPanel(QString(), page), 8, y, 13, 13);
        swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
        connect(swatch, &TPanel::Click, this, [this, swatch] { ChooseSwatchColor(swatch); });
        *s.Swatch = swatch;
        Label(s.Caption, page, 28, y);
        y += 16;
    }
    Label("フォント", page, 8, 122);
    Panel1 = Place(new TPanel(QStringLiteral("Font"), page), 64, 112, 169, 33);
    Panel1->SetColor(clBlack);
    SetPanel1Font(font(), Qt::white);
    connect(Panel1, &TPanel::Click, this, [this] { Host.ChooseFont(); });

    REVERSE = CheckBox("加算", page, 8, 184);
    connect(REVERSE, &QCheckBox::clicked, this, &TForm3::ScrollBar1Change);
    struct {
        QScrollBar** Bar;
        QLabel** Value;
        const char* Caption;
    } bars[] = {{&ScrollBar1, &LR, "R"}, {&ScrollBar2, &LG, "G"}, {&ScrollBar3, &LB, "B"}};
    y = 208;
    for (const auto& b : bars) {
        Label(b.Caption, page, 16, y);
        auto* bar = Place(new QScrollBar(Qt::Horizontal, page), 32, y, 273, 16);
        bar->setRange(0, 255);
        connect(bar, &QScrollBar::valueChanged, this, &TForm3::ScrollBar1Change);
        *b.Bar = bar;
        *b.Value = Label("0", page, 312, y, 22);
        y += 24;
    }
    Panel3 =
        Place(new TPanel(QString::fromUtf8("ウィンドウカラー演算結果"), page), 336, 208, 145, 65);
    Panel3->setWordWrap(true);
    QPalette text = Panel3->palette();
    text.setColor(QPalette::WindowText, ToQColor(WindowColor));
    Panel3->setPalette(text);
    ScrollBar1Change();
}

void TForm3::BuildModulesPage() {
    QWidget* page = TabSheet2;
    CheckBox2 = CheckBox("定時・再描画スレッド", page, 8, 12, 200);
    Label("（Autoがオフでアイドリング状態の時、定期的に再描画する）", page, 24, 32);
    Label("描画する順と読み込みの状態", page, 8, 72);
    CheckListBox1 = Place(new QListWidget(page), 8, 88, 473, 161);
    auto flatButton = [page](const char* caption, int x) {
        auto* button = Place(new QToolButton(page), x, 256, 75, 21);
        button->setText(QString::fromUtf8(caption));
        button->setAutoRaise(true);
        return button;
    };
    SpeedButton1 = flatButton("上へ", 8);
    SpeedButton2 = flatButton("下へ", 88);
    Button8 = Button("UPDATE", page, 328, 257);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm3::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm3::SpeedButton2Click);
    connect(Button8, &QPushButton::clicked, this, &TForm3::Button8Click);
}

void TForm3::BuildRulesPage() {
    QWidget* page = TabSheet4;
    RuleList = Place(new QTableWidget(0, 3, page), 8, 8, 473, 209);
    RuleList->setHorizontalHeaderLabels({QStringLiteral("Pattern (text, or re: and an expression)"),
                                         QStringLiteral("Color"), QStringLiteral("Alert")});
    RuleList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    RuleList->setColumnWidth(1, 48);
    RuleList->setColumnWidth(2, 48);
    RuleList->verticalHeader()->setDefaultSectionSize(20);
    RuleList->setSelectionBehavior(QAbstractItemView::SelectRows);
    RuleList->setSelectionMode(QAbstractItemView::SingleSelection);
    RuleProblems = Label("", page, 8, 222, 473);
    QPalette red = RuleProblems->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    RuleProblems->setPalette(red);
    RuleAdd = Button("Add", page, 8, 256);
    RuleRemove = Button("Remove", page, 88, 256);
    RuleUp = Button("Up", page, 168, 256);
    RuleDown = Button("Down", page, 248, 256);
    connect(RuleAdd, &QPushButton::clicked, this, [this] {
        AddRuleRow({"", clRed, false});
        RuleList->setCurrentCell(RuleList->rowCount() - 1, 0);
        RuleList->editItem(RuleList->currentItem());
    });
    connect(RuleRemove, &QPushButton::clicked, this, [this] {
        if (RuleList->currentRow() >= 0)
            RuleList->removeRow(RuleList->currentRow());
        ShowRuleProblems();
    });
    connect(RuleUp, &QPushButton::clicked, this, [this] { MoveRule(-1); });
    connect(RuleDown, &QPushButton::clicked, this, [this] { MoveRule(+1); });
    connect(RuleList, &QTableWidget::itemChanged, this, &TForm3::ShowRuleProblems);
}

void TForm3::AddRuleRow(const TColorRule& rule) {
    // A half-made row is no rule to check.
    const QSignalBlocker quiet(RuleList);
    const int row = RuleList->rowCount();
    RuleList->insertRow(row);
    RuleList->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rule.Pattern)));
    auto* swatch = new TPanel(QString(), RuleList);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    // Inside the table it would take the view's background role, which SetColor leaves.
    swatch->setBackgroundRole(QPalette::Window);
    swatch->SetColor(rule.Color);
    connect(swatch, &TPanel::Click, this, [this, swatch] { ChooseSwatchColor(swatch); });
    RuleList->setCellWidget(row, 1, swatch);
    auto* alert = new QTableWidgetItem;
    alert->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    alert->setCheckState(rule.Alert ? Qt::Checked : Qt::Unchecked);
    RuleList->setItem(row, 2, alert);
}

std::vector<TColorRule> TForm3::RuleRows() const {
    std::vector<TColorRule> rules;
    for (int row = 0; row < RuleList->rowCount(); ++row) {
        // A rule is one line of the settings file.
        std::string pattern = RuleList->item(row, 0)->text().toStdString();
        std::erase_if(pattern, [](char c) { return c == '\r' || c == '\n'; });
        const auto* swatch = static_cast<const TPanel*>(RuleList->cellWidget(row, 1));
        rules.push_back(
            {pattern, swatch->Color(), RuleList->item(row, 2)->checkState() == Qt::Checked});
    }
    return rules;
}

std::vector<TColorRule> TForm3::Rules() const {
    std::vector<TColorRule> rules = RuleRows();
    std::erase_if(rules, [](const TColorRule& rule) { return rule.Pattern.empty(); });
    return rules;
}

void TForm3::SetRules(const std::vector<TColorRule>& rules) {
    const QSignalBlocker quiet(RuleList);
    RuleList->setRowCount(0);
    for (const TColorRule& rule : rules)
        AddRuleRow(rule);
    ShowRuleProblems();
}

void TForm3::MoveRule(int delta) {
    const int row = RuleList->currentRow();
    std::vector<TColorRule> rules = RuleRows();
    if (row < 0 || row + delta < 0 || row + delta >= static_cast<int>(rules.size()))
        return;
    std::swap(rules[row], rules[row + delta]);
    SetRules(rules);
    RuleList->setCurrentCell(row + delta, 0);
}

void TForm3::ShowRuleProblems() {
    const std::vector<std::string> problems = TRuleSet(Rules()).Problems();
    QStringList lines;
    for (const std::string& problem : problems)
        lines << QString::fromStdString(problem);
    RuleProblems->setText(lines.join(QLatin1Char('\n')));
    RuleProblems->adjustSize();
    RuleProblems->resize(473, RuleProblems->height());
}

void TForm3::ScrollBar1Change() {
    const int r = ScrollBar1->value(), g = ScrollBar2->value(), b = ScrollBar3->value();
    LR->setText(QString::number(r));
    LG->setText(QString::number(g));
    LB->setText(QString::number(b));
    Panel3->SetColor(PreviewColor(r, g, b));
}

void TForm3::ChooseSwatchColor(TPanel* swatch) {
    if (std::optional<QColor> chosen =
            StandardDialogs().ChooseColor(this, ToQColor(swatch->Color())))
        swatch->SetColor(FromQColor(*chosen));
}

void TForm3::PageControl1Change() {
    UPDATE->setEnabled(PageControl1->currentWidget() != TabSheet2);
}

void TForm3::SpeedButton1Click() {
    MoveSelected(-1);
}

void TForm3::SpeedButton2Click() {
    MoveSelected(+1);
}

void TForm3::MoveSelected(int delta) {
    std::vector<TCheckLine> lines = ModuleLines();
    const int selected = SelectedLine();
    const int moved = MoveLine(lines, selected, delta);
    if (moved == selected)
        return;
    SetModuleLines(lines);
    SelectLine(moved);
}

void TForm3::Button8Click() {
    Host.ApplyModuleList();
    if (MessageBoxes().Show(TMsgKind::Information,
                            "ウィンドウを全て閉じてモジュール管理システムを再起動します。",
                            TMsgButtons::YesAbort) != TMsgResult::Yes)
        return;
    Host.Pause(1000);
    Host.ReloadAll();
}

int TForm3::DrawThreadIndex() const {
    return DrawThreadItems->checkedId();
}

void TForm3::SetDrawThreadIndex(int index) {
    // An index outside the items selects none, as a radio group does.
    if (QAbstractButton* item = DrawThreadItems->button(index)) {
        item->setChecked(true);
        return;
    }
    DrawThreadItems->setExclusive(false);
    for (QAbstractButton* item : DrawThreadItems->buttons())
        item->setChecked(false);
    DrawThreadItems->setExclusive(true);
}

QColor TForm3::Panel1Color() const {
    return Panel1->palette().color(QPalette::WindowText);
}

void TForm3::SetPanel1Font(const QFont& font, const QColor& color) {
    Panel1->setFont(font);
    QPalette text = Panel1->palette();
    text.setColor(QPalette::WindowText, color);
    Panel1->setPalette(text);
}

std::vector<TCheckLine> TForm3::ModuleLines() const {
    std::vector<TCheckLine> lines;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        lines.push_back({item->text().toStdString(), item->checkState() == Qt::Checked});
    }
    return lines;
}

void TForm3::SetModuleLines(const std::vector<TCheckLine>& lines) {
    CheckListBox1->clear();
    for (const TCheckLine& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line.Text), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(line.Checked ? Qt::Checked : Qt::Unchecked);
    }
}

int TForm3::SelectedLine() const {
    const QListWidgetItem* item = CheckListBox1->currentItem();
    return item && item->isSelected() ? CheckListBox1->row(item) : -1;
}

void TForm3::SelectLine(int index) {
    CheckListBox1->setCurrentRow(index);
}

} // namespace glimra
