#include "app/window/Gui2Options.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "search/OptionRules.h"
#include "search/PatternClass.h"
#include "ui/Prompts.h"
#include "view/paint/PaintBasics.h"

namespace {

// The "不限位置" item of 目标位置 and the value it stores.
constexpr int NoPositionFilterItem = 4;
constexpr int32_t NoPositionFilter = -1;

QString Name(const char* text) {
    return QString::fromUtf8(text);
}

// A row of text with spin edits in its blanks: "高线跨越第 [ ] 行至 [ ] 行,彩线有 [ ] 个至 [ ]
// 个点".
QWidget* SentenceRow(const QStringList& words, const std::vector<QWidget*>& fields,
                     QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (int i = 0; i < words.size(); ++i) {
        if (!words[i].isEmpty()) layout->addWidget(new QLabel(words[i], row));
        if (i < static_cast<int>(fields.size())) layout->addWidget(fields[static_cast<size_t>(i)]);
    }
    layout->addStretch(1);
    return row;
}

}  // namespace

TGui2OptionsForm::TGui2OptionsForm(QWidget* parent, TPrompts& prompts)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("Gui2OptionsForm"));
    setWindowTitle(QStringLiteral("搜索设置"));
    setFont(SongFont());

    auto* layout = new QVBoxLayout(this);

    userGbx = new QGroupBox(QStringLiteral("网站会员设置："), this);
    userGbx->setObjectName(QStringLiteral("userGbx"));
    userNameEd = new QLineEdit(userGbx);
    userNameEd->setObjectName(QStringLiteral("userNameEd"));
    userPWEd = new QLineEdit(userGbx);
    userPWEd->setObjectName(QStringLiteral("userPWEd"));
    auto* userLayout = new QGridLayout(userGbx);
    userLayout->addWidget(new QLabel(QStringLiteral("会员名称："), userGbx), 0, 0);
    userLayout->addWidget(userNameEd, 0, 1);
    userLayout->addWidget(new QLabel(QStringLiteral("会员密码："), userGbx), 0, 2);
    userLayout->addWidget(userPWEd, 0, 3);
    connect(userNameEd, &QLineEdit::textChanged, this,
            [this](const QString& text) { copy_.MemberName = text.toStdString(); });
    connect(userPWEd, &QLineEdit::textChanged, this,
            [this](const QString& text) { copy_.MemberPassword = text.toStdString(); });
    layout->addWidget(userGbx);

    // Automatic updates and the draw days that the status bar's next draw date follows.
    UpdateGbx = new QGroupBox(QStringLiteral("开奖数据："), this);
    UpdateGbx->setObjectName(QStringLiteral("UpdateGbx"));
    AutoUpdateChk = new QCheckBox(QStringLiteral("自动更新开奖号码：启动时和每隔"), UpdateGbx);
    AutoUpdateChk->setObjectName(QStringLiteral("AutoUpdateChk"));
    connect(AutoUpdateChk, &QCheckBox::toggled, this, [this](bool on) {
        copy_.AutoUpdateChk = on;
        AutoUpdateHoursSe->setEnabled(on);
    });
    AutoUpdateHoursSe = Spin("AutoUpdateHoursSe", 1, 24, &SearchOptions::AutoUpdateHoursSe);
    auto* updateLayout = new QVBoxLayout(UpdateGbx);
    auto* autoRow =
        SentenceRow({QString(), QStringLiteral("小时检查一次")}, {AutoUpdateHoursSe}, UpdateGbx);
    static_cast<QHBoxLayout*>(autoRow->layout())->insertWidget(0, AutoUpdateChk);
    updateLayout->addWidget(autoRow);
    auto* daysRow = new QWidget(UpdateGbx);
    auto* daysLayout = new QHBoxLayout(daysRow);
    daysLayout->setContentsMargins(0, 0, 0, 0);
    daysLayout->addWidget(new QLabel(QStringLiteral("开奖日：周"), daysRow));
    const QStringList dayWords = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                  QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                  QStringLiteral("日")};
    for (int d = 0; d < 7; ++d) {
        DrawDayChk[d] = new QCheckBox(dayWords[d], daysRow);
        DrawDayChk[d]->setObjectName(QStringLiteral("DrawDay%1Chk").arg(d + 1));
        connect(DrawDayChk[d], &QCheckBox::toggled, this, [this, d](bool on) {
            copy_.DrawDays = on ? copy_.DrawDays | (1 << d) : copy_.DrawDays & ~(1 << d);
        });
        daysLayout->addWidget(DrawDayChk[d]);
    }
    daysLayout->addStretch(1);
    updateLayout->addWidget(daysRow);
    layout->addWidget(UpdateGbx);

    BaseGbx = new QGroupBox(QStringLiteral("搜索设置："), this);
    BaseGbx->setObjectName(QStringLiteral("BaseGbx"));
    LinegDistMinSe = Spin("LinegDistMinSe", 0, 20, &SearchOptions::LinegDistMinSe);
    LinegDistMaxSe = Spin("LinegDistMaxSe", 1, 9, &SearchOptions::LinegDistMaxSe);
    LinegPtMinSe = Spin("LinegPtMinSe", 1, 20, &SearchOptions::LinegPtMinSe);
    LinegPtMaxSe = Spin("LinegPtMaxSe", 1, 3, &SearchOptions::LinegPtMaxSe);
    LinedDistMinSe = Spin("LinedDistMinSe", 0, 5, &SearchOptions::LinedDistMinSe);
    LinedDistMaxSe = Spin("LinedDistMaxSe", 1, 9, &SearchOptions::LinedDistMaxSe);
    LinedPtMinSe = Spin("LinedPtMinSe", 1, 20, &SearchOptions::LinedPtMinSe);
    LinedPtMaxSe = Spin("LinedPtMaxSe", 1, 3, &SearchOptions::LinedPtMaxSe);
    // Up to 7 steps: a larger value is set back to 3 when the program starts.
    SecCountSe = Spin("SecCountSe", 3, 7, &SearchOptions::SecCountSe);
    // Shown, not editable: the search always starts the low line at row 0.
    LinedDistMinSe->setEnabled(false);
    ClearDupChk = new QCheckBox(QStringLiteral("消除重合彩点"), BaseGbx);
    ClearDupChk->setObjectName(QStringLiteral("ClearDupChk"));
    RefSumChk = new QCheckBox(QStringLiteral("和值参与"), BaseGbx);
    RefSumChk->setObjectName(QStringLiteral("RefSumChk"));
    RefTailChk = new QCheckBox(QStringLiteral("后3数参与"), BaseGbx);
    RefTailChk->setObjectName(QStringLiteral("RefTailChk"));
    connect(ClearDupChk, &QCheckBox::toggled, this, [this](bool on) { copy_.ClearDupChk = on; });
    connect(RefSumChk, &QCheckBox::toggled, this, [this](bool on) { copy_.RefSumChk = on; });
    connect(RefTailChk, &QCheckBox::toggled, this, [this](bool on) { copy_.RefTailChk = on; });

    auto* baseLayout = new QVBoxLayout(BaseGbx);
    const QStringList sentence = {QString(), QStringLiteral("行至"), QStringLiteral("行,彩线有"),
                                  QStringLiteral("个至"), QStringLiteral("个点")};
    QStringList high = sentence;
    high[0] = QStringLiteral("高线跨越第");
    QStringList low = sentence;
    low[0] = QStringLiteral("低线跨越第");
    baseLayout->addWidget(
        SentenceRow(high, {LinegDistMinSe, LinegDistMaxSe, LinegPtMinSe, LinegPtMaxSe}, BaseGbx));
    baseLayout->addWidget(
        SentenceRow(low, {LinedDistMinSe, LinedDistMaxSe, LinedPtMinSe, LinedPtMaxSe}, BaseGbx));
    auto* checks = new QHBoxLayout;
    checks->addWidget(ClearDupChk);
    checks->addWidget(RefSumChk);
    checks->addWidget(RefTailChk);
    checks->addWidget(
        SentenceRow({QStringLiteral("走步最少"), QStringLiteral("步")}, {SecCountSe}, BaseGbx));
    baseLayout->addLayout(checks);
    auto* radios = new QHBoxLayout;
    radios->addWidget(RadioGroup(
        "SecInterGbx", QStringLiteral("格局类型"),
        {QStringLiteral("全部类型"), QStringLiteral("流水局规律"), QStringLiteral("隔一行规律"),
         QStringLiteral("隔两行规律"), QStringLiteral("隔版局规律")},
        2, &SearchOptions::SecInterGbx, SecInterGbx));
    radios->addWidget(RadioGroup("SumConstrastGbx", QStringLiteral("明对类型"),
                                 {QStringLiteral("全部类型"), QStringLiteral("全明规律"),
                                  QStringLiteral("全对规律"), QStringLiteral("明对规律")},
                                 2, &SearchOptions::SumConstrastGbx, SumConstrastGbx));
    baseLayout->addLayout(radios);
    auto* fallRadios = new QHBoxLayout;
    fallRadios->addWidget(RadioGroup("FallStyleGbx", QStringLiteral("落码类型"),
                                     {QStringLiteral("全部类型"), Name(PatternClassNames[0]),
                                      Name(PatternClassNames[1]), Name(PatternClassNames[2])},
                                     2, &SearchOptions::FallStyleGbx, FallStyleGbx));
    connect(FallStyleGbx, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) FallStyleChanged();
    });
    // The last item switches the search's position filter off (stored as a negative value),
    // so that forecasts of E-G and of the sum column are kept too.
    fallRadios->addWidget(
        RadioGroup("FallTargetGbx", QStringLiteral("目标位置"),
                   {QStringLiteral("全部类型"), QStringLiteral("千位数"), QStringLiteral("个位数"),
                    QStringLiteral("头尾数"), QStringLiteral("不限位置")},
                   2, &SearchOptions::FallTargetGbx, FallTargetGbx));
    connect(FallTargetGbx, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && id == NoPositionFilterItem) copy_.FallTargetGbx = NoPositionFilter;
    });
    baseLayout->addLayout(fallRadios);
    layout->addWidget(BaseGbx);

    auto* display = new QGroupBox(QStringLiteral("显示设置："), this);
    display->setObjectName(QStringLiteral("DisplayGbx"));
    DrawBoxStyleCbb = new QComboBox(display);
    DrawBoxStyleCbb->setObjectName(QStringLiteral("DrawBoxStyleCbb"));
    DrawBoxStyleCbb->addItems({QStringLiteral("标准圆"), QStringLiteral("圆角方形"),
                               QStringLiteral("五角形"), QStringLiteral("馒头"),
                               QStringLiteral("心形")});
    connect(DrawBoxStyleCbb, &QComboBox::currentIndexChanged, this,
            [this](int index) { copy_.DrawBoxStyleCbb = index; });
    BoxColorModeCbb = new QComboBox(display);
    BoxColorModeCbb->setObjectName(QStringLiteral("BoxColorModeCbb"));
    BoxColorModeCbb->addItems({QStringLiteral("规律同色，垂直同色(设计原色)"),
                               QStringLiteral("规律同色，垂直同色(随机颜色)"),
                               QStringLiteral("步内同色，垂直异色(一步一色)"),
                               QStringLiteral("步内异色，垂直同色(垂直同色)"),
                               QStringLiteral("步内异色，垂直异色(一线一色)")});
    connect(BoxColorModeCbb, &QComboBox::currentIndexChanged, this,
            [this](int index) { copy_.BoxColorModeCbb = index; });
    CellHeightSe = Spin("CellHeightSe", 30, 50, &SearchOptions::CellHeightSe);
    CellHeightSe->setSingleStep(2);
    auto* displayLayout = new QGridLayout(display);
    displayLayout->addWidget(new QLabel(QStringLiteral("彩圈形状："), display), 0, 0);
    displayLayout->addWidget(DrawBoxStyleCbb, 0, 1);
    displayLayout->addWidget(SentenceRow({QStringLiteral("网格宽度："), QStringLiteral("个象素")},
                                         {CellHeightSe}, display),
                             0, 2);
    displayLayout->addWidget(new QLabel(QStringLiteral("彩圈颜色："), display), 1, 0);
    displayLayout->addWidget(BoxColorModeCbb, 1, 1, 1, 2);
    displayLayout->addWidget(RadioGroup("LinkLineStyleGbx", QString(),
                                        {QStringLiteral("直线连接"), QStringLiteral("曲线连接")}, 2,
                                        &SearchOptions::LinkLineStyleGbx, LinkLineStyleGbx),
                             2, 0, 1, 3);
    layout->addWidget(display);

    OkBt = new QPushButton(QStringLiteral("确定"), this);
    OkBt->setObjectName(QStringLiteral("OkBt"));
    OkBt->setDefault(true);
    CancelBt = new QPushButton(QStringLiteral("取消"), this);
    CancelBt->setObjectName(QStringLiteral("CancelBt"));
    for (QPushButton* b : {OkBt, CancelBt}) b->setCursor(Qt::PointingHandCursor);
    connect(OkBt, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBt, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBt);
    buttons->addWidget(CancelBt);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(479, 447)));
}

QSpinBox* TGui2OptionsForm::Spin(const char* name, int low, int high,
                                 int32_t SearchOptions::*field) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QString::fromUtf8(name));
    spin->setRange(low, high);
    spin->setProperty("low", low);
    spin->setProperty("high", high);
    // Values change through the arrows only.
    if (auto* edit = spin->findChild<QLineEdit*>()) edit->setReadOnly(true);
    connect(spin, &QSpinBox::valueChanged, this, [this, field](int v) { copy_.*field = v; });
    return spin;
}

QGroupBox* TGui2OptionsForm::RadioGroup(const char* name, const QString& title,
                                        const QStringList& items, int columns,
                                        int32_t SearchOptions::*field, QButtonGroup*& group) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(QString::fromUtf8(name));
    group = new QButtonGroup(box);
    group->setObjectName(QString::fromUtf8(name) + QStringLiteral("Buttons"));
    auto* grid = new QGridLayout(box);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        group->addButton(radio, i);
        grid->addWidget(radio, i % rows, i / rows);
    }
    connect(group, &QButtonGroup::idToggled, this, [this, field](int id, bool on) {
        if (on) copy_.*field = id;
    });
    return box;
}

void TGui2OptionsForm::SetSpin(QSpinBox* spin, int32_t value, int low, int high) {
    // A spin edit whose range is one value shows any value unchanged.
    if (low == high)
        spin->setRange(value, value);
    else
        spin->setRange(low, high);
    spin->setValue(value);
}

void TGui2OptionsForm::SetRadio(QButtonGroup* group, int32_t index) {
    const int last = static_cast<int>(group->buttons().size()) - 1;
    if (QAbstractButton* b = group->button(std::clamp(index, 0, last))) b->setChecked(true);
}

void TGui2OptionsForm::FallStyleChanged() {
    const int style = FallStyleGbx->checkedId();
    if ((style == 1 || style == 2) && LinegDistMinSe->value() == 0) LinegDistMinSe->setValue(1);
    if (style == 3 && LinegDistMinSe->value() > 0) LinegDistMinSe->setValue(0);
    copy_.LinegDistMinSe = LinegDistMinSe->value();
}

void TGui2OptionsForm::LoadOptions(const SearchOptions& options) {
    copy_ = options;
    userNameEd->setText(QString::fromStdString(options.MemberName));
    userPWEd->setText(QString::fromStdString(options.MemberPassword));
    // A value outside a control's range shows clamped but is stored clamped only once the user
    // changes that control: confirming an unchanged dialog leaves the search as it was.
    auto set = [this](QSpinBox* spin, int32_t SearchOptions::*field) {
        const QSignalBlocker quiet(spin);
        SetSpin(spin, copy_.*field, spin->property("low").toInt(), spin->property("high").toInt());
    };
    set(LinedDistMinSe, &SearchOptions::LinedDistMinSe);
    set(LinedDistMaxSe, &SearchOptions::LinedDistMaxSe);
    set(LinegDistMinSe, &SearchOptions::LinegDistMinSe);
    set(LinegDistMaxSe, &SearchOptions::LinegDistMaxSe);
    set(LinedPtMinSe, &SearchOptions::LinedPtMinSe);
    set(LinedPtMaxSe, &SearchOptions::LinedPtMaxSe);
    set(LinegPtMinSe, &SearchOptions::LinegPtMinSe);
    set(LinegPtMaxSe, &SearchOptions::LinegPtMaxSe);
    set(SecCountSe, &SearchOptions::SecCountSe);
    ClearDupChk->setChecked(options.ClearDupChk);
    RefSumChk->setChecked(options.RefSumChk);
    RefTailChk->setChecked(options.RefTailChk);
    SetRadio(SecInterGbx, options.SecInterGbx);
    SetRadio(SumConstrastGbx, options.SumConstrastGbx);
    // A negative target (the position filter off) shows as "不限位置".
    SetRadio(FallTargetGbx,
             options.FallTargetGbx < 0 ? NoPositionFilterItem : std::min(options.FallTargetGbx, 3));
    SetRadio(FallStyleGbx, options.FallStyleGbx);
    DrawBoxStyleCbb->setCurrentIndex(std::clamp(options.DrawBoxStyleCbb, 0, 4));
    BoxColorModeCbb->setCurrentIndex(std::clamp(options.BoxColorModeCbb, 0, 4));
    set(CellHeightSe, &SearchOptions::CellHeightSe);
    SetRadio(LinkLineStyleGbx, options.LinkLineStyleGbx);
    AutoUpdateChk->setChecked(options.AutoUpdateChk);
    AutoUpdateHoursSe->setEnabled(options.AutoUpdateChk);
    set(AutoUpdateHoursSe, &SearchOptions::AutoUpdateHoursSe);
    for (int d = 0; d < 7; ++d) DrawDayChk[d]->setChecked((options.DrawDays >> d & 1) != 0);
    copy_.DrawDays = options.DrawDays;
    // An index outside a group's items shows as its nearest item, and is kept as shown.
    copy_.SecInterGbx = SecInterGbx->checkedId();
    copy_.SumConstrastGbx = SumConstrastGbx->checkedId();
    // Kept as it was when negative: any negative value switches the filter off.
    copy_.FallTargetGbx =
        options.FallTargetGbx < 0 ? options.FallTargetGbx : FallTargetGbx->checkedId();
    copy_.FallStyleGbx = FallStyleGbx->checkedId();
    copy_.LinkLineStyleGbx = LinkLineStyleGbx->checkedId();
    copy_.DrawBoxStyleCbb = DrawBoxStyleCbb->currentIndex();
    copy_.BoxColorModeCbb = BoxColorModeCbb->currentIndex();
}

int TGui2OptionsForm::ShowOptions(const SearchOptions& options) {
    LoadOptions(options);
    return exec();
}

TGui2OptionsForm::~TGui2OptionsForm() = default;

void TGui2OptionsForm::accept() {
    // Options the search cannot use are refused here, while the user can still change them.
    const std::string problems = SearchOptionMessage(copy_);
    if (!problems.empty()) {
        prompts_.ShowError(this, QString::fromStdString(problems));
        return;
    }
    QDialog::accept();
}
