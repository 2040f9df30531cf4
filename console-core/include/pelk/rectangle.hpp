// The closed axis-parallel rectangle test on an XY payload, one function for
// brenmo's RECT form and dressil's rectangle count so that the two agree.
#pragma once

#include "pelk/stream_record.hpp"

#include <algorithm>
#include <cstdint>
#include <span>

namespace Pelk::core {

struct RectangleBounds {
    std::int32_t xmin, ymin, xmax, ymax;
};

namespace detail {

inline std::int32_t pointX(std::span<const std::uint8_t> xy, int k) { return readInt4(xy.data() + 8 * k); }
inline std::int32_t pointY(std::span<const std::uint8_t> xy, int k) { return readInt4(xy.data() + 8 * k + 4); }

} // namespace detail

// Five points, the fifth repeating the first, the first four the corners of
// a box whose first edge is horizontal or vertical. A zero width or height
// still counts.
inline bool isAxisRectangle(std::span<const std::uint8_t> xy)
{
    using detail::pointX;
    using detail::pointY;
    if (xy.size() != 40)
        return false;
    if (pointX(xy, 4) != pointX(xy, 0) || pointY(xy, 4) != pointY(xy, 0))
        return false;
    bool horizontalFirst = pointY(xy, 0) == pointY(xy, 1) && pointX(xy, 1) == pointX(xy, 2)
                        && pointY(xy, 2) == pointY(xy, 3) && pointX(xy, 3) == pointX(xy, 0);
    bool verticalFirst = pointX(xy, 0) == pointX(xy, 1) && pointY(xy, 1) == pointY(xy, 2)
                      && pointX(xy, 2) == pointX(xy, 3) && pointY(xy, 3) == pointY(xy, 0);
    return horizontalFirst || verticalFirst;
}

// The corners of a payload isAxisRectangle accepts: opposite corners 0 and 2.
inline RectangleBounds axisRectangleBounds(std::span<const std::uint8_t> xy)
{
    using detail::pointX;
    using detail::pointY;
    return {std::min(pointX(xy, 0), pointX(xy, 2)), std::min(pointY(xy, 0), pointY(xy, 2)),
            std::max(pointX(xy, 0), pointX(xy, 2)), std::max(pointY(xy, 0), pointY(xy, 2))};
}

} // namespace Pelk::core
