// Runs a fuzz target without libFuzzer: every seed file of the given directories, then a
// fixed set of deterministic mutations of them. Lets any compiler keep the targets honest.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

void run(const QByteArray &input)
{
    LLVMFuzzerTestOneInput(
        reinterpret_cast<const std::uint8_t *>(input.constData()), static_cast<std::size_t>(input.size()));
}

QByteArray mutate(QByteArray input, std::mt19937 &random)
{
    const auto pick = [&random](qsizetype bound) {
        return bound <= 0 ? qsizetype(0) : std::uniform_int_distribution<qsizetype>(0, bound - 1)(random);
    };
    switch (random() % 5) {
    case 0: // flip a byte
        if (!input.isEmpty())
            input[pick(input.size())] = static_cast<char>(random());
        break;
    case 1: // truncate
        input.truncate(pick(input.size() + 1));
        break;
    case 2: // insert junk
        input.insert(pick(input.size() + 1), QByteArray(1 + pick(8), static_cast<char>(random())));
        break;
    case 3: // repeat a slice
        input.insert(pick(input.size() + 1), input.mid(pick(input.size()), 1 + pick(64)).repeated(1 + pick(50)));
        break;
    default: // invalid UTF-8
        input.insert(pick(input.size() + 1), QByteArray("\xff\xc3\x28\xe2\x82", 5));
        break;
    }
    return input;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                seeds.push_back(file.readAll());
        }
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seed files\n");
        return 1;
    }
    std::mt19937 random(20240601);
    int runs = 0;
    for (const QByteArray &seed : seeds) {
        run(seed);
        QByteArray input = seed;
        for (int i = 0; i < 400; ++i, ++runs) {
            input = (i % 20 == 0) ? seed : mutate(input, random);
            run(input);
        }
    }
    std::printf("%d inputs, no failure\n", runs);
    return 0;
}
