#include "FileDrop.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace zorv {
namespace {

// The one local file a drop carries, or "".
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : QString();
}

class FileDropFilter : public QObject {
public:
    explicit FileDropFilter(QLineEdit* box) : QObject(box), box_(box) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_)
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (DroppedFile(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = DroppedFile(drop->mimeData());
            if (path.isEmpty())
                return false;
            box_->setText(path);
            drop->acceptProposedAction();
            return true;
        }
        default:
            return false;
        }
    }

private:
    QLineEdit* box_;
};

} // namespace

void AcceptFileDrops(QLineEdit* box) {
    box->setAcceptDrops(true);
    box->installEventFilter(new FileDropFilter(box)); // owned by the box
}

} // namespace zorv
