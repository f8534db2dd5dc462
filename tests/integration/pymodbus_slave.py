#!/usr/bin/python3
"""An independent Modbus RTU slave for interoperability tests of the station's client.

Everything protocol-related is pymodbus's own: its RTU framer checks each request's CRC with
its own CRC code, its server decoder and datastore execute the request, and its framer builds
the reply with its own CRC. Only the line is ours: a fresh pseudo-terminal in raw mode, with
frames delimited by the RTU inter-frame silence, as a real slave on a serial line does.

Protocol on stdout: the first line is the slave path the station opens; then one line per
frame received, "accepted HEX" when pymodbus decoded and answered it, "rejected HEX" when it
dropped it (wrong CRC, or a function it does not know, such as the unit's unlock function 65).
The slave ends when its stdin closes.
"""

import os
import select
import sys
import tty

from pymodbus.datastore import (
    ModbusSequentialDataBlock,
    ModbusServerContext,
    ModbusSlaveContext,
)
from pymodbus.factory import ServerDecoder
from pymodbus.framer.rtu_framer import ModbusRtuFramer

UNIT_ADDRESS = 250
REGISTER_COUNT = 500
# A frame ends after 3.5 character times of silence: 3.6 ms at 9600 baud 8N1.
FRAME_GAP_S = 0.004


def first_value(register):
    """The datastore's initial content, known to the tests: register k holds 0x1000 + k."""
    return 0x1000 + register


def make_context():
    # The unit has one register table, read with function 4 and written with 6 and 16: the
    # input and holding blocks are the same object. zero_mode keeps protocol addresses as they are.
    table = ModbusSequentialDataBlock(0, [first_value(k) for k in range(REGISTER_COUNT)])
    unit = ModbusSlaveContext(ir=table, hr=table, zero_mode=True)
    return ModbusServerContext(slaves={UNIT_ADDRESS: unit}, single=False)


def read_frame(master):
    """Blocks for the first byte, then takes bytes until the inter-frame silence."""
    frame = os.read(master, 512)
    while select.select([master], [], [], FRAME_GAP_S)[0]:
        frame += os.read(master, 512)
    return frame


def serve(master, context, framer):
    while True:
        ready = select.select([master, sys.stdin], [], [])[0]
        if sys.stdin in ready and not os.read(sys.stdin.fileno(), 512):
            return
        if master not in ready:
            continue
        frame = read_frame(master)
        replies = []

        def execute(request):
            response = request.execute(context[request.unit_id])
            response.unit_id = request.unit_id
            replies.append(framer.buildPacket(response))

        try:
            framer.processIncomingPacket(frame, execute, unit=[UNIT_ADDRESS])
        except Exception:  # pylint: disable=broad-except
            replies.clear()
        # Whatever pymodbus left unframed belongs to no request: the next frame starts clean.
        framer.resetFrame()
        for reply in replies:
            os.write(master, reply)
        verdict = "accepted" if replies else "rejected"
        print(f"{verdict} {frame.hex()}", flush=True)


def main():
    master, slave = os.openpty()
    # Raw at once, so that the line never edits or echoes a frame. The slave end stays open
    # here too, so the master reads no hang-up while the station has the port closed.
    tty.setraw(slave)
    print(os.ttyname(slave), flush=True)
    serve(master, make_context(), ModbusRtuFramer(ServerDecoder()))


if __name__ == "__main__":
    main()
