#!/usr/bin/env bash
# The C++ compiler of the arm64 preset (tools/zig-cc.sh).
exec "$(dirname "$0")/zig-cc.sh" --c++ "$@"
