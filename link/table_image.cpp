#include "table_image.h"

#include <cstring>

namespace rq30 {

void ClearImage(TableImage& image) { std::memset(&image, 0, sizeof image); }

}  // namespace rq30
