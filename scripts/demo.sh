#!/usr/bin/env bash
# The main job: builds the host and the driver libraries, creates a fresh system root,
# installs the sample printer, prints the two-page sample job through the rendering
# library (drvhost playing the graphics engine, Spoolane writing the printer's port file)
# and decodes the block stream that reached the port.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
targets=(drvhost Rendara Spoolane)
# The other deliverables join the installation once they are built.
available=$(cmake --build --preset default --target help 2>/dev/null || true)
for optional in Panelis Constrix; do
  if grep -q "^${optional}:" <<<"$available"; then targets+=("$optional"); fi
done
cmake --build --preset default --target "${targets[@]}" >/dev/null
root=build/demo-root
printer="Kova Sample Printer"
rm -rf "$root"
host=build/default/tools/drvhost/drvhost
echo "== install"
"$host" install "$root" "$printer" samples
echo
echo "== print samples/job-two-pages.txt"
"$host" print "$root" "$printer" samples/job-two-pages.txt
echo
echo "== dump the printer's port file"
"$host" dump "$root" 'C:\KovaPort\KovaSample.prn'
