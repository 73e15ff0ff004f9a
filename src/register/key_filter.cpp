#include "register/key_filter.h"

namespace brelune {

bool verif_Key(int key) {
    return key == 8 || key == ',' || key == '-' || key == '.' || (key >= '0' && key <= '9');
}

} // namespace brelune
