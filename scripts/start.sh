#!/bin/sh
# Installs what is missing, builds the tool and the simulated installation
# (tessra-sim), and starts the tool against it. The tool and the devices cannot
# share a port on one network stack, so the devices get a network namespace of
# their own, joined to this one by a veth pair on the test subnet
# 10.73.92.0/24: the tool at 10.73.92.200, the LAN adapter at 10.73.92.10, the
# radio/LAN gateway at 10.73.92.11. The tool runs from build/demo/ with
# settings that point at them; when it ends, the simulation stops and the
# namespace goes. Without root, or where no namespace can be made, the tool
# starts alone.
set -eu
cd "$(dirname "$0")/.."

subnet=10.73.92
tool_address=$subnet.200
first_device=$subnet.10
gateway_address=$subnet.11
# The devices own the lower half of the subnet, so that a LAN adapter
# programmed to another address there can take it.
device_range=$subnet.0/25

# Run as root through sudo, the build and the window belong to the user who asked.
as_user() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
        runuser -u "$SUDO_USER" -- "$@"
    else
        "$@"
    fi
}

sh scripts/install-deps.sh
as_user cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
as_user cmake --build build --target tessraprog tessra-sim -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: TessraProg needs a desktop to show its window."
    echo "Without one, start a virtual display first, for example:"
    echo "    sudo apt-get install xvfb && Xvfb :99 & DISPLAY=:99 sh scripts/start.sh"
    exit 1
fi

alone() {
    echo "$1"
    echo "Starting TessraProg alone, for real devices (its settings: ~/.config/TessraProg/TessraPrg.ini,"
    echo "or build/TessraPrg.ini where that file stands)."
    status=0
    as_user build/tessraprog || status=$?
    exit $status
}

if [ "$(id -u)" -ne 0 ]; then
    alone "The simulated installation needs a network namespace of its own, and that takes root:
    sudo -E sh scripts/start.sh
(-E keeps the display; the tool itself then runs as you)."
fi
if [ -n "$(ip -4 route show root "$subnet.0/24")$(ip -4 addr show to "$subnet.0/24")" ]; then
    alone "The test subnet $subnet.0/24 is in use on this machine; the simulated installation stays off."
fi

# The first port from 5000 that nothing here listens on.
port=5000
while [ -n "$(ss -Hltn "sport = :$port")" ]; do
    port=$((port + 1))
done

namespace=tessra-demo-$$
host_link=tsd$$h
device_link=tsd$$n
sim_pid=""
tool_pid=""
# shellcheck disable=SC2317 # run by the traps below
cleanup() {
    trap - EXIT INT TERM
    if [ -n "$tool_pid" ]; then
        kill "$tool_pid" 2>/dev/null || true
        wait "$tool_pid" 2>/dev/null || true
    fi
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    ip netns del "$namespace" 2>/dev/null || true
    ip link del "$host_link" 2>/dev/null || true
}
if ! ip netns add "$namespace" 2>/dev/null; then
    alone "No network namespace can be made here (it takes CAP_SYS_ADMIN); the simulated installation stays off."
fi
trap cleanup EXIT
trap 'exit 130' INT TERM
ip link add "$host_link" type veth peer name "$device_link" netns "$namespace"
ip addr add "$tool_address/24" dev "$host_link"
ip link set "$host_link" up
ip netns exec "$namespace" ip link set lo up
ip netns exec "$namespace" ip addr add "$first_device/24" dev "$device_link"
ip netns exec "$namespace" ip link set "$device_link" up
ip netns exec "$namespace" ip route add local "$device_range" dev lo

# The devices log every frame here, with a hex dump.
ip netns exec "$namespace" build/tessra-sim --address "$first_device" --port "$port" \
    --destination "$tool_address" </dev/null &
sim_pid=$!

# A copy of the tool with settings of its own, so that the real settings stay untouched.
as_user mkdir -p build/demo
as_user cp build/tessraprog build/demo/tessraprog
as_user sh -c "cat > build/demo/TessraPrg.ini" <<EOF
[TessraProg]
IPAdresse=$first_device
GateWay=192.168.28.254
SubnetMask=255.255.255.0
StdDestIp=$tool_address
Port=$port
eNumLan=1
Select=0
FLGateway=$gateway_address
DAdrH=1
DAdrL=22
eNumFunk=123
TDiffOnFunk=1.2
TDiffOffFunk=0.8
TDiffOnLan=1.2
TDiffOffLan=0.8
EOF

sleep 1
if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "The simulated installation did not start (see above); the tool starts without it."
fi
echo "TessraProg talks to the simulated installation: LAN adapter $first_device, gateway $gateway_address, port $port."
# In the background, so that a signal to this script ends the tool and the demo at once.
as_user build/demo/tessraprog &
tool_pid=$!
status=0
wait "$tool_pid" || status=$?
tool_pid=""
exit $status
