#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>
#include <QTextItem>
#include <climits>

// A paint device that keeps the texts drawn on it, so that a test can read what a painting
// wrote (axis labels, legends) without reading pixels.
class TPaintedTexts : public QPaintDevice {
  public:
    explicit TPaintedTexts(QSize size) : size_(size), engine_(texts_) {}
    ~TPaintedTexts() override = default;

    const QStringList& Texts() const { return texts_; }
    QPaintEngine* paintEngine() const override { return &engine_; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmWidthMM:
                return size_.width() * 254 / 960;
            case PdmHeightMM:
                return size_.height() * 254 / 960;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            case PdmNumColors:
                return INT_MAX;
            default:
                return 96;  // the resolutions
        }
    }

  private:
    class TEngine : public QPaintEngine {
      public:
        explicit TEngine(QStringList& texts) : QPaintEngine(AllFeatures), texts_(texts) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        // Shapes are not kept (the default forms of these call each other).
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts_ << item.text(); }
        Type type() const override { return User; }

      private:
        QStringList& texts_;
    };

    QSize size_;
    QStringList texts_;
    mutable TEngine engine_;
};
