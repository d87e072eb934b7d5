#!/usr/bin/python3
"""A Modbus server from pymodbus, as an independent peer for the client's tests.

    pymodbus_peer.py tcp          serves Modbus TCP on 127.0.0.1 and a free port; prints "tcp: HOST:PORT"
    pymodbus_peer.py rtu PATH     serves Modbus RTU on the serial device PATH (38400 bit/s, 8N1);
                                  prints "rtu: PATH" once the port is open

Its data: holding register a holds (7 * a + 3) mod 65536 for a below 10000; coil a is on when
a is a multiple of 3, discrete input a when a is a multiple of 5. Everything above is absent, so
reads there get exception 2. It runs until it is terminated.
"""

import asyncio
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer
from pymodbus.transaction import ModbusRtuFramer

SIZE = 10000


def make_context():
    # A sequential block is addressed one above the wire address: the item at wire address a
    # is the block's item a + 1, so a block starting at 1 holds wire address 0 first.
    registers = ModbusSequentialDataBlock(1, [(7 * a + 3) & 0xFFFF for a in range(SIZE)])
    coils = ModbusSequentialDataBlock(1, [a % 3 == 0 for a in range(SIZE)])
    inputs = ModbusSequentialDataBlock(1, [a % 5 == 0 for a in range(SIZE)])
    slave = ModbusSlaveContext(di=inputs, co=coils, hr=registers, ir=registers)
    return ModbusServerContext(slaves=slave, single=True)


async def serve_tcp():
    server = ModbusTcpServer(make_context(), address=("127.0.0.1", 0))
    task = asyncio.create_task(server.serve_forever())
    await server.serving
    host, port = server.server.sockets[0].getsockname()[:2]
    print(f"tcp: {host}:{port}", flush=True)
    await task


async def serve_rtu(path):
    # No parity: a pseudo-terminal cannot keep it.
    server = ModbusSerialServer(make_context(), framer=ModbusRtuFramer, port=path, baudrate=38400,
                                bytesize=8, parity="N", stopbits=1, timeout=0.05)
    await server.start()
    print(f"rtu: {path}", flush=True)
    await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) == 2 and sys.argv[1] == "tcp":
        asyncio.run(serve_tcp())
    elif len(sys.argv) == 3 and sys.argv[1] == "rtu":
        asyncio.run(serve_rtu(sys.argv[2]))
    else:
        sys.exit(__doc__)
