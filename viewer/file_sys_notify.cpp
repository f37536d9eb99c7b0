#include "viewer/file_sys_notify.h"

#include "platform/dir_watch.h"

namespace glimra {

std::uint32_t NotifyFilterMask(TNotifyFilter filter) {
    std::uint32_t mask = filter.Bits() & 0x1f;
    if (filter.Contains(TFileSysNotify::SECURITY))
        mask |= kNotifySecurity;
    return mask;
}

} // namespace glimra
