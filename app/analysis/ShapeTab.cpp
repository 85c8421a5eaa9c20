#include "app/analysis/ShapeTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include "stats/ui/ShapeBarsView.h"

TShapeTab::TShapeTab(QWidget* parent) : QObject(parent) {
    Controls = new QWidget(parent);
    auto* metricLabel = new QLabel(QStringLiteral("形态"), Controls);
    ShapeMetricCbb = new QComboBox(Controls);
    ShapeMetricCbb->setObjectName(QStringLiteral("ShapeMetricCbb"));
    for (const TShapeMetric& metric : AllShapeMetrics())
        ShapeMetricCbb->addItem(QString::fromUtf8(metric.Name()), static_cast<int>(metric.Id()));
    ShapeMetricCbb->setCurrentIndex(static_cast<int>(TShapeMetricId::Span));
    ShapeMetricCbb->setMaxVisibleItems(ShapeMetricCount);
    metricLabel->setBuddy(ShapeMetricCbb);
    ShapeViewCbb = new QComboBox(Controls);
    ShapeViewCbb->setObjectName(QStringLiteral("ShapeViewCbb"));
    ShapeViewCbb->addItems({QStringLiteral("走势图"), QStringLiteral("理论对比图")});
    ShapeViewCbb->setToolTip(
        QStringLiteral("走势图：每期的形态与遗漏；理论对比图：出现次数与理论次数"));
    ShapeOneIsPrimeChk = new QCheckBox(QStringLiteral("1算质数"), Controls);
    ShapeOneIsPrimeChk->setObjectName(QStringLiteral("ShapeOneIsPrimeChk"));
    ShapeOneIsPrimeChk->setChecked(true);
    ShapeOneIsPrimeChk->setToolTip(
        QStringLiteral("质合比的质数：勾选为 1、2、3、5、7（走势图的习惯），不勾选为 2、3、5、7"));
    auto* row = new QHBoxLayout(Controls);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(metricLabel);
    row->addWidget(ShapeMetricCbb);
    row->addWidget(ShapeViewCbb);
    row->addWidget(ShapeOneIsPrimeChk);
    row->addStretch(1);
    ShapeBars = new TShapeBarsView(parent);

    connect(ShapeMetricCbb, &QComboBox::currentIndexChanged, this, &TShapeTab::Changed);
    connect(ShapeViewCbb, &QComboBox::currentIndexChanged, this, &TShapeTab::Changed);
    connect(ShapeOneIsPrimeChk, &QCheckBox::toggled, this, &TShapeTab::Changed);
}

TShapeMetric TShapeTab::Metric() const {
    const auto id = static_cast<TShapeMetricId>(ShapeMetricCbb->currentData().toInt());
    return TShapeMetric(id, {.OneIsPrime = ShapeOneIsPrimeChk->isChecked()});
}

bool TShapeTab::ShowsBars() const {
    return ShapeViewCbb->currentIndex() == 1;
}

void TShapeTab::Compute(const TCodes& draws, TTrendWindow window) {
    ShapeBars->SetChart(nullptr);
    const TShapeMetric metric = Metric();
    stats_.emplace(ComputeShapeMetricStats(draws, window, metric));
    omissions_ = TOmissionTable(ShapeRowCategories(draws, window, metric), metric.CategoryCount());
    bars_.emplace(
        TShapeBarsInput{*stats_, omissions_.Length(), ShapeBars->font(), ShapeBars->palette()});
    ShapeBars->SetChart(&*bars_);
}

QImage TShapeTab::BarsPicture() const {
    return bars_ ? PaintShapeBarsPicture(*bars_) : QImage();
}
