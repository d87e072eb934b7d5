#!/bin/bash
# End-to-end test of "Ethernet (Direct)" on a network of its own: private network namespaces
# that this script makes and removes (also when it fails or is interrupted), joined by veth
# pairs on a bridge, with addresses from 10.77.1.0/24 that exist only inside them.
#
#   PC       eth0  02:77:00:00:00:01  10.77.1.1/24 and 10.77.1.2/24, on the bridge
#            eth1  02:77:00:00:00:02  10.77.2.1/24, straight to d4; no default route
#   d1..d3   eth0                     10.77.1.11 .. 10.77.1.13, one korva-devsim each on UDP 502
#   d4       eth0                     10.77.2.14, another korva-devsim
#   sw       br0 with the other ends of the veth pairs of PC eth0 and d1..d3
#
# The client side (direct_netns_checks) runs in the PC's namespace and broadcasts for real to
# 255.255.255.255 there; the simulators answer from theirs. Nothing is made, and nothing is
# sent, in the host's own network namespace. The network guard (KORVA_LOOPBACK_ONLY) is lifted
# only for the programs started inside the namespaces.
#
# Usage: direct_netns.sh KORVA-DEVSIM DIRECT-NETNS-CHECKS
# Exit: 0 passed, 1 failed, 77 skipped (network namespaces cannot be made here).

set -u

devsim=$1
checks=$2

skip() {
    echo "skipped: $*"
    exit 77
}

[ "$(id -u)" = 0 ] || skip "making network namespaces needs root (CI runs the tests as root)"
command -v ip >/dev/null 2>&1 || skip "ip (iproute2) is not installed"

# Unique names, so that runs side by side never meet.
prefix="korva-$$-$RANDOM"
pc="$prefix-pc"
sw="$prefix-sw"
work=$(mktemp -d)
namespaces=()
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    for ns in "${namespaces[@]}"; do ip netns del "$ns" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# A run that was killed outright (a time-out) could not clean up: its namespaces, named after
# a process that no longer exists, go now, with the simulators still running in them.
for ns in $(ip netns list 2>/dev/null | grep -oE '^korva-[0-9]+-[0-9]+-(pc|sw|d[1-4])\b'); do
    owner=${ns#korva-}
    owner=${owner%%-*}
    if ! kill -0 "$owner" 2>/dev/null; then
        for pid in $(ip netns pids "$ns" 2>/dev/null); do kill "$pid" 2>/dev/null; done
        ip netns del "$ns" 2>/dev/null
    fi
done

fail() {
    echo "FAILED: $*"
    exit 1
}

make_namespace() {
    ip netns add "$1" 2>"$work/error" || return 1
    namespaces+=("$1")
    ip -n "$1" link set lo up
}

# Connects namespace $1 to the bridge: eth0 there, port $2 on the bridge. Both ends are made
# inside the namespaces, never in the host's.
connect() {
    ip -n "$1" link add eth0 type veth peer name "$2" netns "$sw" 2>"$work/error" || return 1
    ip -n "$sw" link set "$2" master br0 up && ip -n "$1" link set eth0 up
}

make_namespace "$pc" || skip "cannot create a network namespace: $(cat "$work/error")"
make_namespace "$sw" || fail "second namespace: $(cat "$work/error")"
ip -n "$sw" link add br0 type bridge 2>"$work/error" || skip "cannot create a bridge: $(cat "$work/error")"
ip -n "$sw" link set br0 up
connect "$pc" p-pc || skip "cannot create a veth pair: $(cat "$work/error")"

ip -n "$pc" link set eth0 address 02:77:00:00:00:01
ip -n "$pc" addr add 10.77.1.1/24 dev eth0
ip -n "$pc" addr add 10.77.1.2/24 dev eth0

# node=address=model text=model code, as the checks expect them.
expected=()
codes=(6001 6002 6014 6004)
texts=(VK20E-4RYGB VK20A-2RY VK20C-4RYGB VK20C-3RYG)
for i in 1 2 3 4; do
    ns="$prefix-d$i"
    make_namespace "$ns" || fail "namespace $ns: $(cat "$work/error")"
    if [ $i = 4 ]; then
        ip -n "$pc" link add eth1 address 02:77:00:00:00:02 type veth peer name eth0 netns "$ns" || fail "veth pair for $ns"
        ip -n "$pc" addr add 10.77.2.1/24 dev eth1
        ip -n "$pc" link set eth1 up
        ip -n "$ns" link set eth0 up
        ip -n "$ns" addr add 10.77.2.14/24 dev eth0
        address=10.77.2.14
    else
        connect "$ns" "p-d$i" || fail "veth pair for $ns: $(cat "$work/error")"
        address="10.77.1.1$i"
        ip -n "$ns" addr add "$address/24" dev eth0
    fi
    node="02:4b:56:00:00:0$i"
    code=${codes[$((i - 1))]}
    text=${texts[$((i - 1))]}
    ip netns exec "$ns" env -u KORVA_LOOPBACK_ONLY "$devsim" --direct 502 --mac "$node" --code "$code" \
        --model-text "$text" --verbose >"$work/d$i.log" 2>&1 &
    pids+=($!)
    expected+=("$node=$address=$text=$code")
done

# Ready when every simulator serves and the PC's link is up.
for _ in $(seq 100); do
    ready=1
    for i in 1 2 3 4; do grep -q '^direct: 0.0.0.0:502' "$work/d$i.log" || ready=0; done
    for link in eth0 eth1; do ip -n "$pc" link show "$link" | grep -q 'state UP' || ready=0; done
    [ $ready = 1 ] && break
    sleep 0.1
done
[ $ready = 1 ] || { cat "$work"/d*.log; fail "the simulators or the links did not come up"; }

echo "namespaces: ${namespaces[*]}"
ip -n "$pc" -brief addr show
ip -n "$pc" route

devices=$(IFS=,; echo "${expected[*]}")
ip netns exec "$pc" env -u KORVA_LOOPBACK_ONLY HOME="$work" XDG_CONFIG_HOME="$work/config" \
    KORVA_NETNS="$pc" KORVA_NETNS_ADAPTERS="eth0=02:77:00:00:00:01=10.77.1.1+10.77.1.2,eth1=02:77:00:00:00:02=10.77.2.1" \
    KORVA_NETNS_DEVICES="$devices" "$checks"
status=$?

# Each datagram left through its own adapter: the devices on the bridge heard each request from
# both addresses of eth0 and never from eth1's, d4 only from eth1's.
heard() {
    grep -q "request from $2:" "$work/$1.log"
}
for i in 1 2 3; do
    heard "d$i" 10.77.1.1 && heard "d$i" 10.77.1.2 || { status=1; echo "FAILED: d$i did not hear both addresses of eth0"; }
    ! heard "d$i" 10.77.2.1 || { status=1; echo "FAILED: d$i heard eth1's broadcast"; }
done
heard d4 10.77.2.1 || { status=1; echo "FAILED: d4 did not hear eth1's broadcast"; }
! heard d4 10.77.1.1 && ! heard d4 10.77.1.2 || { status=1; echo "FAILED: d4 heard eth0's broadcast"; }
if [ $status != 0 ]; then
    for i in 1 2 3 4; do echo "--- d$i"; cat "$work/d$i.log"; done
    exit 1
fi
echo "passed"
