#!/usr/bin/python3
"""The standalone endcap-unit-sim against an independent Modbus master (pymodbus).

Usage: standalone_sim_test.py PATH-TO-endcap-unit-sim
Each check starts its own simulator, waits for its first output line (the slave device path)
and talks to it over the pseudo-terminal. Exits 1 when any check fails.
"""

import math
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

import serial

from pymodbus.client import ModbusSerialClient  # noqa: E402
from pymodbus.utilities import computeCRC  # noqa: E402

SIM = sys.argv[1] if len(sys.argv) > 1 else ""
UNIT = 250
# The simulated sensors' true coefficients: offset A, gain A, offset B, gain B.
TRUE_COEFFICIENTS = (32905.0, 20480.0, 32641.0, 19872.0)


def frame(*body):
    return bytes(body) + struct.pack(">H", computeCRC(bytes(body)))


class Sim:
    """One simulator process with its link in a scratch folder."""

    def __init__(self, *args, folder=None):
        self.folder = folder or tempfile.mkdtemp(prefix="endcap-sim-")
        self.link = os.path.join(self.folder, "unit")
        self.proc = subprocess.Popen([SIM, "--link", self.link, *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.pending = b""
        self.path = self.readline()

    def readline(self, timeout=10.0):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                raise AssertionError("no line from the simulator within %.0f s" % timeout)
            chunk = os.read(self.proc.stdout.fileno(), 4096)
            if not chunk:
                raise AssertionError("the simulator closed its output (exit %s)" % self.proc.poll())
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode()

    def command(self, line):
        self.proc.stdin.write((line + "\n").encode())
        self.proc.stdin.flush()
        return self.readline()

    def client(self):
        client = ModbusSerialClient(port=self.link, baudrate=9600, timeout=1)
        assert client.connect(), "cannot open " + self.link
        return client

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        return self.proc.wait(timeout=10)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def raw_exchange(port, request, expected):
    """Writes request; returns the reply and the times of its first and last byte in ms."""
    port.reset_input_buffer()
    start = time.perf_counter()
    port.write(request)
    reply, first, last = b"", None, None
    while len(reply) < expected and time.perf_counter() - start < 1.0:
        byte = port.read(1)
        if byte:
            last = (time.perf_counter() - start) * 1000.0
            first = last if first is None else first
            reply += byte
    return reply, first, last


def unlock(client):
    reply, _, _ = raw_exchange(client.socket, frame(UNIT, 65, 5827 >> 8, 5827 & 0xFF), 5)
    assert reply == frame(UNIT, 65, ord("B")), reply.hex(" ")


def read(client, first, count):
    response = client.read_input_registers(first, count, slave=UNIT)
    assert not response.isError(), "read of %d from %d: %s" % (count, first, response)
    return response.registers


def measured_pitch_roll(client):
    assert not client.write_register(300, 0, slave=UNIT).isError()
    for _ in range(50):
        if read(client, 304, 1)[0] != 0:
            regs = read(client, 300, 4)
            floats = struct.unpack(">ff", struct.pack(">4H", *regs))
            return tuple(math.degrees(value) for value in floats)
    raise AssertionError("the measurement never became ready")


def check_registers_commands_and_calibrated_pitch():
    sim = Sim()
    try:
        assert sim.path.startswith("/dev/pts/") and os.readlink(sim.link) == sim.path, sim.path
        client = sim.client()
        assert read(client, 2, 3) == [1, 2, ord("a")]
        assert not client.write_register(220, 0x1AA, slave=UNIT).isError()
        assert read(client, 220, 1) == [0x1AA]
        outside = client.read_input_registers(23, 1, slave=UNIT)
        assert outside.isError() and outside.exception_code == 2, outside
        locked = client.write_registers(8, [0x1234, 0x5607], slave=UNIT)
        assert locked.isError() and locked.exception_code == 1, locked

        assert sim.command("tilt 5") == "ok tilt 5.000"
        unlock(client)
        coefficients = struct.unpack(">8H", struct.pack(">4f", *TRUE_COEFFICIENTS))
        assert not client.write_registers(120, list(coefficients), slave=UNIT).isError()
        pitch, roll = measured_pitch_roll(client)
        assert abs(pitch - 5.0) < 0.01 and abs(roll) < 0.01, (pitch, roll)
        assert sim.command("rotation 90") == "ok rotation 90"
        pitch, roll = measured_pitch_roll(client)
        assert abs(pitch) < 0.01 and abs(roll - 5.0) < 0.01, (pitch, roll)
        client.close()
    finally:
        sim.close()


def check_reply_timing():
    sim = Sim()
    try:
        port = serial.Serial(sim.link, 9600, timeout=1)
        reply, first, last = raw_exchange(port, frame(UNIT, 4, 0, 2, 0, 3), 11)
        assert reply == frame(UNIT, 4, 6, 0, 1, 0, 2, 0, ord("a")), reply.hex(" ")
        print("reply of 11 bytes to an 8-byte request: first byte %.2f ms, last %.2f ms after the write" % (first, last))
        # A real line cannot be faster: 8 request bytes and a turnaround to the first byte, ten
        # more byte times to the last. A busy machine may make either later, never sooner.
        assert first >= 8 * 1.042 + 2.0, first
        assert last >= 18 * 1.042 + 2.0, last
        port.close()
    finally:
        sim.close()


def check_state_survives_a_restart():
    folder = tempfile.mkdtemp(prefix="endcap-sim-")
    state = os.path.join(folder, "unit.state")
    first = Sim("--state", state, folder=folder)
    try:
        client = first.client()
        unlock(client)
        assert not client.write_registers(10, [0x1234, 0x5607], slave=UNIT).isError()
        client.close()
        assert first.stop() == 0
        with open(state) as memory:
            lines = memory.read().splitlines()
        assert "10 4660" in lines and "11 22023" in lines, lines[:14]
        second = Sim("--state", state, folder=folder)
        client = second.client()
        assert read(client, 10, 2) == [0x1234, 0x5607]
        client.close()
        assert second.stop() == 0
    finally:
        first.close()


def check_hangup_and_replug():
    sim = Sim()
    try:
        client = sim.client()
        assert read(client, 2, 1) == [1]
        assert sim.command("hangup") == "ok hangup"
        try:
            client.socket.read(1)
            raise AssertionError("the device is still there after the hang-up")
        except serial.SerialException:
            pass
        client.close()
        answer = sim.command("replug")
        assert answer.startswith("ok replug /dev/pts/") and os.readlink(sim.link) == answer[len("ok replug "):], answer
        client = sim.client()
        assert read(client, 2, 1) == [1]
        client.close()
    finally:
        sim.close()


def check_end_of_input_sigterm_and_options():
    sim = Sim()
    try:
        sim.proc.stdin.close()
        client = sim.client()
        assert read(client, 3, 1) == [2]
        client.close()
        assert sim.stop() == 0
        assert not os.path.lexists(sim.link)
    finally:
        sim.close()
    text = subprocess.run([SIM, "--help"], capture_output=True, text=True, timeout=10)
    assert text.returncode == 0
    for word in ("--link", "--state", "--measure-delay", "--seed", "--noise", "hangup", "replug", "fault"):
        assert word in text.stdout, word
    bad = subprocess.run([SIM, "--bogus"], capture_output=True, text=True, timeout=10)
    assert bad.returncode == 2 and "not expected: --bogus" in bad.stderr, bad.stderr


CHECKS = [check_registers_commands_and_calibrated_pitch, check_reply_timing, check_state_survives_a_restart,
          check_hangup_and_replug, check_end_of_input_sigterm_and_options]


def main():
    if not SIM:
        print(__doc__)
        return 2
    failed = 0
    for check in CHECKS:
        try:
            check()
            print("ok   " + check.__name__)
        except Exception:  # report every failing check, not only the first
            failed += 1
            print("FAIL " + check.__name__)
            traceback.print_exc()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
