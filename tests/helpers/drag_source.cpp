// A window of another program that drags one file when pressed, as the Finder does:
// drag_source FILE. The drag runs while the button is held and ends where it is released.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

class DragSource final : public QLabel {
public:
    explicit DragSource(QString file)
        : QLabel(QStringLiteral("Drag: ") + file)
        , m_file(std::move(file))
    {
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(m_file)});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }

private:
    QString m_file;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    DragSource window(QString::fromLocal8Bit(argv[1]));
    window.setWindowTitle(QStringLiteral("drag source"));
    window.resize(240, 100);
    window.move(20, 560);
    window.show();
    return app.exec();
}
