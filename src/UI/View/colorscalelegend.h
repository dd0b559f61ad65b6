#pragma once

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QString>

class QGLWidget;

namespace Model {
class Object;
}

namespace Ui {

// The colour bar under the view while cell volumes show a particle-count
// field: one range over all such volumes, labelled at both ends.
class ColorScaleLegend
{
public:
    static constexpr int Steps = 255;

    // Takes the smallest minimum and largest maximum over the volumes that
    // show a particle-count field; false (legend hidden) when none does.
    bool update(const QList<boost::shared_ptr<Model::Object>> &objects);
    bool isVisible() const { return m_visible; }
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }
    int colorScale() const { return m_scale; }

    static QString label(double value) { return QString::number(value, 'e', 6); }
    // The colour of step i (0..255) of the bar.
    void stepColor(int i, float rgba[4]) const;

    // Draws labels and bar over the current frame; leaves the matrices as they were.
    void draw(QGLWidget *widget) const;

private:
    bool m_visible = false;
    double m_min = 0.0, m_max = 1.0;
    int m_scale = 0;
};

} // namespace Ui
