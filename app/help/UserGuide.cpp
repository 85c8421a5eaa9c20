#include "app/help/UserGuide.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "view/paint/PaintBasics.h"

TGuideForm::TGuideForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("GuideForm"));
    setWindowTitle(QStringLiteral("用户操作入门"));
    setFont(SongFont());

    GuideMemo = new QPlainTextEdit(this);
    GuideMemo->setObjectName(QStringLiteral("GuideMemo"));
    GuideMemo->setReadOnly(true);
    GuideMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    GuideMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GuideMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    GuideMemo->setPlainText(GuideText());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GuideMemo);
    resize(496, 290);
}

QString TGuideForm::GuideText() {
    return QStringLiteral(
        "欢迎使用Tolvane！\n"
        "\n"
        "【三次点击，得到最新规律】\n"
        "1. 点击工具栏上的“下载”，取得最新的开奖号码；\n"
        "2. 点击“搜索”（F5），程序在后台搜索规律，状态栏右边显示搜索进度，"
        "需要时可以点击“停止”（F6）；\n"
        "3. 在右边的规律列表里点击一个规律，左边的号码表上就画出这个规律。\n"
        "\n"
        "【第一次使用】\n"
        "请先在右边的规律列表里逐个点击规律看一看：号码表上的彩圈和连线是规律的低线和"
        "高线，最下面一行是下一期，那里的彩圈和数字是规律给出的数字。开奖是随机的："
        "每个明对规律命中的机会是20%，全明、全对规律是10%；规律在过去是否胜过随机，"
        "请用“规律回测”（Ctrl+B）检验。\n"
        "\n"
        "【更新开奖号码的三种方法】\n"
        "1. 点击“下载”，从网站下载开奖号码（网站会员名称和密码在“设置”里填写）；\n"
        "2. “文件”菜单的“导入号码”：选择一个文本文件，文件里每行一期号码，"
        "每期七位数字；\n"
        "3. 点击“编辑”，修改同样格式（每行一期、七位数字）的号码文本，"
        "改好后点击“保存关闭”。\n"
        "号码更新以后请重新搜索；点击“保存”（Ctrl+S）把号码和规律存入工作文档。\n"
        "\n"
        "【常用按键】\n"
        "F1：帮助主题\n"
        "F5：搜索规律；F6：停止搜索\n"
        "F7：走势分析；F8：规律统计\n"
        "Ctrl+B：规律回测；Ctrl+T：投注与兑奖\n"
        "F9：把选中的规律导出为图片\n"
        "F12：搜索设置\n"
        "Ctrl+S：保存文档\n"
        "Ctrl+A：全选规律；Ctrl+I：反转选择\n"
        "\n"
        "再次点击工具栏上的“入门”可以关闭本窗口。");
}

void TGuideForm::PlaceAtLowerRight(const QWidget& owner) {
    // Outer frames: move() places the frame, and the frame is what the user sees.
    const QRect ownerFrame = owner.frameGeometry();
    // The system window made before the first showing: where the system tells its frame then
    // (Windows; a tool window's caption is lower than the main window's), that frame counts.
    winId();
    QSize guideFrame = frameGeometry().size();
    // Where it does not (a window manager frames the window once shown): assume a frame like
    // the owner's.
    if (!testAttribute(Qt::WA_WState_Created) || guideFrame == size())
        guideFrame = size() + (ownerFrame.size() - owner.size());
    QPoint topLeft(ownerFrame.left() + ownerFrame.width() - guideFrame.width() - 8,
                   ownerFrame.top() + ownerFrame.height() - guideFrame.height() - 8);
    // A main window smaller than the guide must not push the guide off the screen.
    if (const QScreen* screen = owner.screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(),
                                std::max(area.left(), area.right() + 1 - guideFrame.width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(),
                                std::max(area.top(), area.bottom() + 1 - guideFrame.height())));
    }
    move(topLeft);
}
