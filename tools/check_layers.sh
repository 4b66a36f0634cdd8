#!/usr/bin/env bash
# The layers, checked over the includes: core/ includes only core/; each
# feature (record/, play/, files/, ui/) includes only core/ and itself; app/
# may include anything but kestrova-rec/, a product of its own that
# includes only core/, the recording rules it shares with the program and
# itself. Prints every include that breaks this and fails, or
# says "layers: ok".
cd "$(dirname "$0")/.."
bad=$(
  grep -nE '#include "(\.\./)?(app|core|record|play|files|ui)/' core/* | grep -vE '#include "core/'
  for feature in record play files ui; do
    grep -nE '#include "(\.\./)?(app|core|record|play|files|ui)/' "$feature"/* | grep -vE "#include \"(core|$feature)/"
  done
  grep -nE '#include "(\.\./)?kestrova-rec/' core/* app/* record/* play/* files/* ui/*
  grep -nE '#include "(\.\./)?(app|core|record|play|files|ui|kestrova-rec)/' kestrova-rec/* |
    grep -vE '#include "(core/|files/recording_rules\.h|kestrova-rec/)'
  # Relative includes would hide a climb from the check above.
  grep -nE '#include "\.\./' core/* app/* record/* play/* files/* ui/* kestrova-rec/*
)
if [ -n "$bad" ]; then
  echo "includes against the layers:"
  echo "$bad"
  exit 1
fi
echo "layers: ok"
