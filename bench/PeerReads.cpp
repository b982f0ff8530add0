#include "bench/PeerReads.h"

#include <chrono>

#ifdef KELM_BENCH_LIBMODBUS
#include <modbus.h>
#endif

namespace kelm::bench {

#ifdef KELM_BENCH_LIBMODBUS

bool LibmodbusBuilt() {
    return true;
}

std::optional<double> LibmodbusReads(const QString& path, std::uint32_t baud, int count,
                                     std::uint16_t address) {
    modbus_t* context =
        modbus_new_rtu(path.toLocal8Bit().constData(), static_cast<int>(baud), 'N', 8, 1);
    if (context == nullptr)
        return std::nullopt;
    modbus_set_slave(context, 1);
    modbus_set_response_timeout(context, 0, 500000);
    std::optional<double> result;
    if (modbus_connect(context) == 0) {
        std::uint16_t value = 0;
        bool ok = true;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count && ok; ++i)
            ok = modbus_read_registers(context, address, 1, &value) == 1;
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (ok)
            result = took.count();
        modbus_close(context);
    }
    modbus_free(context);
    return result;
}

#else

bool LibmodbusBuilt() {
    return false;
}

std::optional<double> LibmodbusReads(const QString&, std::uint32_t, int, std::uint16_t) {
    return std::nullopt;
}

#endif

} // namespace kelm::bench
