#!/usr/bin/env bash
# Builds the tool and sorts a copy of the shipped sample table by city and
# name, showing the records before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tabulo >/dev/null
cp samples/customers.dbf build/customers.dbf
show() {  # the records, one per line, from code page 852
  python3 - "$1" <<'PY'
import sys, struct
data = open(sys.argv[1], "rb").read()
count, head, length = struct.unpack_from("<IHH", data, 4)
for i in range(count):
    rec = data[head + i * length: head + (i + 1) * length]
    print("   " + rec.decode("cp852"))
PY
}
echo "before:"; show build/customers.dbf
./build/tabulo build/customers.dbf "city + name"
echo "after:"; show build/customers.dbf
