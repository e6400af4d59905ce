#include "platform/wayland/WaylandRegistryProbe.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include <cstdint>
#include <cstring>

namespace quillo {

namespace {

constexpr std::uint32_t displayId = 1;
constexpr std::uint32_t registryId = 2;
constexpr std::uint32_t callbackId = 3;

void putWord(QByteArray &out, std::uint32_t word)
{
    out.append(reinterpret_cast<const char *>(&word), sizeof word);
}

std::uint32_t wordAt(const QByteArray &in, qsizetype offset)
{
    std::uint32_t word = 0;
    std::memcpy(&word, in.constData() + offset, sizeof word);
    return word;
}

} // namespace

QString WaylandRegistryProbe::sessionSocket()
{
    const QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        return {};
    if (display.startsWith(QLatin1Char('/')))
        return display;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QString() : runtime + QLatin1Char('/') + display;
}

QByteArray WaylandRegistryProbe::request()
{
    QByteArray out;
    // Header: object id, then (message size << 16 | opcode); one new_id argument each.
    putWord(out, displayId);
    putWord(out, (12u << 16) | 1u); // get_registry
    putWord(out, registryId);
    putWord(out, displayId);
    putWord(out, (12u << 16) | 0u); // sync
    putWord(out, callbackId);
    return out;
}

bool WaylandRegistryProbe::readEvents(QByteArray &buffer, QStringList &interfaces)
{
    while (buffer.size() >= 8) {
        const std::uint32_t object = wordAt(buffer, 0);
        const std::uint32_t sizeOpcode = wordAt(buffer, 4);
        const qsizetype size = sizeOpcode >> 16;
        const std::uint32_t opcode = sizeOpcode & 0xffffu;
        if (size < 8) {
            buffer.clear(); // not the protocol we speak
            return false;
        }
        if (buffer.size() < size)
            return false;
        if (object == callbackId && opcode == 0)
            return true;
        // wl_registry.global: name, interface (length with its NUL, padded to 4), version.
        if (object == registryId && opcode == 0 && size >= 16) {
            const std::uint32_t length = wordAt(buffer, 12);
            if (length > 0 && 16 + static_cast<qsizetype>(length) <= size)
                interfaces << QString::fromLatin1(buffer.constData() + 16, static_cast<qsizetype>(length) - 1);
        }
        buffer.remove(0, size);
    }
    return false;
}

std::optional<QStringList> WaylandRegistryProbe::globals(const QString &socketPath, std::chrono::milliseconds bound)
{
    if (socketPath.isEmpty())
        return std::nullopt;
    const QDeadlineTimer deadline(bound);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(bound.count())))
        return std::nullopt;
    socket.write(request());
    socket.flush();
    QByteArray buffer;
    QStringList interfaces;
    while (!deadline.hasExpired()) {
        if (!socket.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
            break;
        buffer += socket.readAll();
        if (readEvents(buffer, interfaces))
            return interfaces;
    }
    return std::nullopt;
}

} // namespace quillo
