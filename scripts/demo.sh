#!/usr/bin/env bash
# The main job: builds the host, creates a fresh system root, installs the sample printer
# and shows what was installed.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target drvhost >/dev/null
root=build/demo-root
rm -rf "$root"
host=build/default/tools/drvhost/drvhost
"$host" install "$root" "Kova Sample Printer" samples
"$host" printers "$root"
