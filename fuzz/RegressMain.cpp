// Runs a fuzz target over every file of its regression and seed folders
// (the inputs that once found faults, and the starting corpus), for the
// ordinary build where libFuzzer is absent.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    QStringList folders = {QStringLiteral(VANTREL_FUZZ_REGRESS),
                           QStringLiteral(VANTREL_FUZZ_SEEDS)};
    for (int i = 1; i < argc; ++i)
        folders << QString::fromLocal8Bit(argv[i]);
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (const QString& folder : folders) {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden);
        while (it.hasNext())
            files << it.next();
        files.sort();
        for (const QString& name : files) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
                return 1;
            }
            const QByteArray data = file.readAll();
            std::printf("%s (%lld bytes)\n", qPrintable(name), static_cast<long long>(data.size()));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.constData()),
                                   size_t(data.size()));
            ++count;
        }
    }
    std::printf("%d inputs ran\n", count);
    return count > 0 ? 0 : 1;
}
