// A label that reports a click of the left mouse button, for the link-like labels.
#pragma once

#include <QLabel>

namespace zorv {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace zorv
