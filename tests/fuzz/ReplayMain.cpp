// The replay program of every fuzz target: feeds each file of the folders or files named on
// its command line through LLVMFuzzerTestOneInput, as the test run does under the
// sanitizers. Built with -DZORV_LIBFUZZER=ON, libFuzzer brings its own main instead.
#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

QStringList FilesOf(const QString& arg) {
    QStringList paths;
    if (QFileInfo(arg).isDir()) {
        QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            paths << it.next();
    } else {
        paths << arg;
    }
    paths.sort();
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString& path : FilesOf(QString::fromLocal8Bit(argv[i]))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
