// verif_Key: which typed characters an amount box accepts (digits, point,
// comma, minus and backspace). Shared by every amount box of the program.
#pragma once

namespace brelune {

bool verif_Key(int key);

} // namespace brelune
