#!/usr/bin/env bash
# Checks the built LV2 bundle with Debian's own LV2 tools: strict Turtle,
# schema validation, and lilv's view of the plug-in (URI, ports, presets,
# parameters). usage: check_lv2_bundle.sh BUNDLE.lv2
set -euo pipefail

bundle=${1:?usage: check_lv2_bundle.sh BUNDLE.lv2}
uri="urn:tarnwick:corvane"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in serdi sord_validate lv2_validate lv2ls lv2info; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

ttl_files=("$bundle"/*.ttl)
for f in "${ttl_files[@]}"; do
    if ! parse_errors=$(serdi -i turtle -o ntriples "$f" 2>&1 >/dev/null); then
        fail "serdi rejects $(basename "$f"): $parse_errors"
    fi
done

validation=$(lv2_validate "${ttl_files[@]}" 2>&1 || true)
if ! grep -q "Found 0 errors" <<<"$validation"; then
    fail "schema validation:"
    grep -A3 '^error' <<<"$validation" | head -40
fi

export LV2_PATH
LV2_PATH=$(cd "$bundle/.." && pwd)
lv2ls | grep -qx "$uri" || fail "lv2ls does not list $uri"

info=$(lv2info "$uri")
for port in audio_in_1 audio_in_2 audio_out_1 audio_out_2; do
    grep -q "Symbol: *$port\$" <<<"$info" || fail "no audio port $port"
done
for preset in RadavErir ConcertHall BrightHall DeepBlueDay Chorus BigReverse TajMahal OctaveUpDown; do
    grep -qx "[[:space:]]*$preset" <<<"$info" || fail "preset $preset not listed"
done

# lilv of Debian 12 does not print lv2:Parameter; read them from the plug-in's data.
parameters=$(serdi -i turtle -o ntriples "$bundle/dsp.ttl" \
    | grep -F "<http://www.w3.org/2000/01/rdf-schema#label>" \
    | grep -oE '<urn:tarnwick:corvane:[A-Za-z]+> <http://www.w3.org/2000/01/rdf-schema#label> "[^"]+"' \
    | sed -E 's/.*"([^"]+)"/\1/' | sort | tr '\n' ' ')
expected=$(printf '%s\n' wetDry shift feedback diffusion size lowCut highCut modRate modDepth reverbMode shiftMode colorMode | sort | tr '\n' ' ')
[ "$parameters" = "$expected" ] || fail "parameters: got [$parameters], expected [$expected]"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "LV2 bundle OK: strict Turtle, 0 schema errors, 4 audio ports, 8 presets, 12 parameters"
