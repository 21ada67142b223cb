// The two collation weight tables of the Hungarian accent-folding order: one
// byte of weight for each byte value, sending the accented vowels to their
// plain letter of the same case and every other byte to itself. Neither table
// folds case. `oemWeights` is for text in code page 852 (table files),
// `ansiWeights` for text in Windows-1250 (callers).
#pragma once

const unsigned char* oemWeights();
const unsigned char* ansiWeights();
