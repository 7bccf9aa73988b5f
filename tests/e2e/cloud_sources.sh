#!/usr/bin/env bash
# Cloud sources end to end: HTTPS with a test certificate authority made for
# the run and trusted through SSL_CERT_FILE, redirects, and services whose
# first reply is the picture itself.
#   cloud_sources.sh GEOVISTA SCENARIO
GEOVISTA=$1
SCENARIO=$2
source "$(cd "$(dirname "$0")" && pwd)/cloud_lib.sh"

# The authority and the servers' certificates, made as if on 2020-01-01 (the
# globe's clock stands in 2026): one for localhost valid for 20000 days, one
# for another name, one for localhost that expired after 30 days.
TLS="${E2E_TMP}/tls"
mkdir -p "$TLS"
in_2020() { LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2020-01-01 00:00:00" "$@"; }
in_2020 openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -keyout "$TLS/ca.key" -out "$TLS/ca.pem" -days 20000 -subj "/CN=Geovista test authority" \
    2>/dev/null || fail "no test authority"
server_certificate() { # NAME DNS-NAME DAYS
    in_2020 openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
        -keyout "$TLS/$1.key" -out "$TLS/$1.csr" -subj "/CN=$2" 2>/dev/null
    printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
        "$2" >"$TLS/$1.ext"
    in_2020 openssl x509 -req -in "$TLS/$1.csr" -CA "$TLS/ca.pem" -CAkey "$TLS/ca.key" \
        -CAcreateserial -days "$3" -extfile "$TLS/$1.ext" -out "$TLS/$1.pem" 2>/dev/null ||
        fail "no certificate $1"
}
server_certificate localhost localhost 20000
server_certificate other otherhost.example 20000
server_certificate expired localhost 30
export SSL_CERT_FILE="$TLS/ca.pem"

# tls_service CERT [OPTION...]: a service speaking TLS with that certificate.
tls_service() {
    local cert=$1
    shift
    start_service ok both 4 --tls "$TLS/$cert.pem" "$TLS/$cert.key" "$@"
}

# expect_failure_line TEXT: one line of the log says why the download failed.
expect_failure_line() {
    local lines
    lines=$(grep -c -F "failed: " "${RUN}/geovista.log" || true)
    [ "$lines" = 1 ] || fail "$lines log lines on the failure, not one"
    expect_log "failed: $1"
    grep -F "failed: " "${RUN}/geovista.log" | sed 's/^\[[^]]*\] /  /'
}

# A source that fails: FAILED, the earlier files and clouds kept, frames
# still coming, one log line saying why.
failing_source() { # failing_source NAME HOST PATH REQUESTS LOGTEXT
    local name=$1 host=$2 path=$3 count=$4 text=$5
    echo "- $name"
    run_globe "$name" 1 "$host" old $STILL_VIEW "cloudImagePath=$path"
    wait_outcome 90 FAILED
    expect_requests "$count"
    expect_old_files page
    expect_failure_line "$text"
    expect_kept_after_failure "$name"
}

# The served map as the live services publish theirs: a greyscale JPEG of
# twice the globe's map size each way, a greyscale PNG, and a white PNG whose
# opacity carries the clouds. Each gives the served map's bands.
convert "$IMAGES/served.gif" -filter point -resize 2048x1024! -type Grayscale -quality 90 \
    JPEG:"$IMAGES/served.jpg"
convert "$IMAGES/served.gif" -type Grayscale PNG:"$IMAGES/served-grey.png"
convert -size 512x256 xc:white \( "$IMAGES/served.gif" -colorspace Gray \) -alpha off \
    -compose CopyOpacity -composite PNG32:"$IMAGES/served-alpha.png"
# Damaged ones: the JPEG cut in half; the greyscale PNG with its first image
# data chunk's checksum changed.
head -c $(($(stat -c %s "$IMAGES/served.jpg") / 2)) "$IMAGES/served.jpg" >"$IMAGES/cut.jpg"
"$PY" - "$IMAGES/served-grey.png" "$IMAGES/bad-crc.png" <<'PY' || fail "no PNG with a bad checksum"
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = 8
while at < len(data):
    length, kind = struct.unpack_from(">I4s", data, at)
    if kind == b"IDAT":
        data[at + 8 + length] ^= 0x5A
        break
    at += 12 + length
else:
    sys.exit("no image data chunk")
open(sys.argv[2], "wb").write(data)
PY

# A picture over HTTPS at a fixed address gives the served map's clouds.
picture_source() { # NAME PATH FILE TOLERANCE
    local name=$1 path=$2 file=$3 tolerance=$4
    echo "- $name"
    tls_service localhost --file "$path=$file"
    run_globe "$name" 1 "https://localhost:${PORT}" old $STILL_VIEW "cloudImagePath=$path"
    wait_outcome 90 UPDATED
    expect_requests 1
    expect_request 1 "$path" "localhost:${PORT}"
    cmp "$file" "${DATA}/clouds.sat" || fail "$name: clouds.sat is not the served picture"
    expect_log "HTTP GET https://localhost:${PORT}${path}: $(stat -c %s "$file") bytes"
    expect_new_clouds "$tolerance"
    expect_no_leftovers
    stop_globe
    stop_service
}

# A damaged picture over HTTPS: FAILED with the decoder's reason in the log,
# the earlier clouds.sat, clouds.tga and clouds on the globe kept, frames
# still coming.
refused_picture() { # NAME PATH FILE REASON
    local name=$1 path=$2 file=$3 reason=$4
    echo "- $name"
    tls_service localhost --file "$path=$file"
    run_globe "$name" 1 "https://localhost:${PORT}" old $STILL_VIEW "cloudImagePath=$path"
    wait_outcome 90 FAILED
    expect_requests 1
    expect_old_files
    expect_log "Cloud update: the server's picture cannot be used: $reason"
    grep -F "Cloud update: " "${RUN}/geovista.log" | sed 's/^\[[^]]*\] /  /'
    expect_kept_after_failure "$name"
}

case "$SCENARIO" in
https)
    echo "- a picture at a fixed address over HTTPS"
    tls_service localhost --file "/images/clouds.gif=$IMAGES/served.gif"
    run_globe onestep 1 "https://localhost:${PORT}" $STILL_VIEW cloudImagePath=/images/clouds.gif
    wait_outcome 90 UPDATED
    expect_requests 1
    expect_request 1 /images/clouds.gif "localhost:${PORT}"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served picture"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.tmp" || fail "clouds.tmp is not the first reply"
    expect_log "HTTP GET https://localhost:${PORT}/images/clouds.gif: $(stat -c %s "$IMAGES/served.gif") bytes"
    expect_new_clouds
    expect_no_leftovers
    stop_globe
    stop_service

    echo "- http:// redirected to https://, then through four more hops"
    tls_service localhost --file "/images/clouds.gif=$IMAGES/served.gif" \
        --redirect "/a/r1" 302 "r2" --redirect "/a/r2" 303 "../b/r3" \
        --redirect "/b/r3" 307 "/c/r4?x=1" --redirect "/c/r4?x=1" 308 "//localhost:{port}/images/clouds.gif"
    TLS_PORT=$PORT TLS_RECORD=$RECORD
    start_service ok both 4 --redirect "/start" 301 "https://localhost:${TLS_PORT}/a/r1"
    PLAIN_PORT=$PORT
    run_globe redirected 1 "http://localhost:${PLAIN_PORT}" $STILL_VIEW cloudImagePath=/start
    wait_outcome 90 UPDATED
    expect_requests 1
    expect_request 1 /start "localhost:${PLAIN_PORT}"
    RECORD=$TLS_RECORD
    expect_requests 5
    n=0
    for target in /a/r1 /a/r2 /b/r3 "/c/r4?x=1" /images/clouds.gif; do
        n=$((n + 1))
        expect_request "$n" "$target" "localhost:${TLS_PORT}"
    done
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served picture"
    expect_new_clouds
    stop_globe
    stop_service

    echo "- a two-step service over HTTPS"
    tls_service localhost
    run_globe twostep 1 "https://localhost:${PORT}" $STILL_VIEW
    wait_outcome 90 UPDATED
    expect_requests 2
    expect_request 1 "$DEFAULT_PATH" "localhost:${PORT}"
    expect_request 2 "$IMAGE_PATH" "localhost:${PORT}"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served map"
    expect_new_clouds
    stop_globe
    stop_service

    echo "- a two-step service whose page is redirected from http:// to https://"
    # The image is asked of the server that answered the page: over TLS at
    # once, not of the configured plain server.
    tls_service localhost
    TLS_PORT=$PORT TLS_RECORD=$RECORD
    start_service ok both 4 --redirect "$DEFAULT_PATH" 301 "https://localhost:${TLS_PORT}${DEFAULT_PATH}"
    PLAIN_PORT=$PORT
    run_globe moved 1 "http://localhost:${PLAIN_PORT}" $STILL_VIEW
    wait_outcome 90 UPDATED
    expect_requests 1
    expect_request 1 "$DEFAULT_PATH" "localhost:${PLAIN_PORT}"
    RECORD=$TLS_RECORD
    expect_requests 2
    expect_request 1 "$DEFAULT_PATH" "localhost:${TLS_PORT}"
    expect_request 2 "$IMAGE_PATH" "localhost:${TLS_PORT}"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served map"
    stop_globe
    stop_service
    pass "HTTPS sources: a picture at a fixed address, http:// redirected to https://, two-step services"
    ;;
certificates)
    tls_service other --file "/images/clouds.gif=$IMAGES/served.gif"
    failing_source othername "https://localhost:${PORT}" /images/clouds.gif 0 \
        "TLS: certificate not accepted: hostname mismatch"
    tls_service expired --file "/images/clouds.gif=$IMAGES/served.gif"
    failing_source expired "https://localhost:${PORT}" /images/clouds.gif 0 \
        "TLS: certificate not accepted: certificate has expired"
    pass "a certificate for another name and an expired one end FAILED"
    ;;
redirects)
    tls_service localhost --redirect "/a" 302 "/b" --redirect "/b" 302 "/a"
    failing_source loop "https://localhost:${PORT}" /a 2 "redirect loop"
    start_service ok both 4 --file "/images/clouds.gif=$IMAGES/served.gif"
    PLAIN_RECORD=$RECORD
    tls_service localhost --redirect "/a" 301 "http://localhost:${PORT}/images/clouds.gif"
    failing_source downgrade "https://localhost:${PORT}" /a 1 "redirect from https to http refused"
    [ ! -e "${PLAIN_RECORD}/request-1.bin" ] || fail "the plain service was asked"
    tls_service localhost --redirect "/r0" 302 "r1" --redirect "/r1" 302 "r2" --redirect "/r2" 302 "r3" \
        --redirect "/r3" 302 "r4" --redirect "/r4" 302 "r5" --redirect "/r5" 302 "r6" \
        --file "/r6=$IMAGES/served.gif"
    failing_source sixth "https://localhost:${PORT}" /r0 6 "more than 5 redirects"
    pass "a redirect loop, a redirect from https to http and a sixth redirect end FAILED"
    ;;
pictures)
    # The live-map preset's path and its greyscale JPEG; JPEG's rounding may
    # move the bands' alpha by a few steps.
    picture_source jpeg /images/2048x1024/clouds.jpg "$IMAGES/served.jpg" 4
    picture_source greypng /images/clouds-grey.png "$IMAGES/served-grey.png" 0
    picture_source alphapng /images/2048x1024/clouds-alpha.png "$IMAGES/served-alpha.png" 0
    pass "a greyscale JPEG, a greyscale PNG and a PNG with alpha over HTTPS give clouds"
    ;;
bad_pictures)
    refused_picture cutjpeg /images/2048x1024/clouds.jpg "$IMAGES/cut.jpg" "JPEG: "
    refused_picture badcrc /images/clouds-grey.png "$IMAGES/bad-crc.png" "PNG: "
    pass "a JPEG cut in half and a PNG with a bad checksum end FAILED with the old clouds kept"
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
