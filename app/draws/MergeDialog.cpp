#include "app/draws/MergeDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TMergeDialog::TMergeDialog(const QString& title, const QString& planText, bool differences,
                           bool matched, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MergeDialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    SummaryLbl = new QLabel(planText.section(QLatin1Char('\n'), 0, 0), this);
    SummaryLbl->setObjectName(QStringLiteral("SummaryLbl"));
    layout->addWidget(SummaryLbl);
    PlanEdit = new QPlainTextEdit(this);
    PlanEdit->setObjectName(QStringLiteral("PlanEdit"));
    PlanEdit->setReadOnly(true);
    PlanEdit->setTabChangesFocus(true);  // Tab goes on to the choices and the buttons
    PlanEdit->setPlainText(planText.trimmed());
    layout->addWidget(PlanEdit);
    ReplaceDifferingChk = new QCheckBox(QStringLiteral("用新数据替换不同的开奖号码(&D)"), this);
    ReplaceDifferingChk->setObjectName(QStringLiteral("ReplaceDifferingChk"));
    ReplaceDifferingChk->setVisible(differences);
    layout->addWidget(ReplaceDifferingChk);
    auto* keptLbl = new QLabel(QStringLiteral("文档中有而新数据中没有的开奖号码都会保留。"), this);
    layout->addWidget(keptLbl);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddBt = new QPushButton(QStringLiteral("添加(&A)"), this);
    AddBt->setObjectName(QStringLiteral("AddBt"));
    AddBt->setDefault(matched);
    ReplaceAllBt = new QPushButton(QStringLiteral("全部替换(&R)"), this);
    ReplaceAllBt->setObjectName(QStringLiteral("ReplaceAllBt"));
    CancelBt = new QPushButton(QStringLiteral("取消(&C)"), this);
    CancelBt->setObjectName(QStringLiteral("CancelBt"));
    CancelBt->setDefault(!matched);
    buttons->addWidget(AddBt);
    buttons->addWidget(ReplaceAllBt);
    buttons->addWidget(CancelBt);
    layout->addLayout(buttons);

    connect(AddBt, &QPushButton::clicked, this, [this] {
        choice_ =
            ReplaceDifferingChk->isChecked() ? TMergeChoice::AddAndReplace : TMergeChoice::Add;
        accept();
    });
    connect(ReplaceAllBt, &QPushButton::clicked, this, [this] {
        choice_ = TMergeChoice::ReplaceAll;
        accept();
    });
    connect(CancelBt, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 360);
}

QString TMergeDialog::PlanText() const {
    return PlanEdit->toPlainText();
}
