#!/usr/bin/env python3
"""Holds COUNT connections to HOST:PORT that each send a request head one byte a second, never
ending it, and opens a new one whenever the service lets one go, until killed."""
import socket
import sys
import time

host, port, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
head = b"GET /healthz HTTP/1.1\r\nHost: localhost\r\nX-Slow: " + b"s" * 100000


def connect():
    connection = socket.create_connection((host, port))
    connection.setblocking(False)
    return [connection, 0]


clients = [connect() for _ in range(count)]
while True:
    time.sleep(1)
    for index, client in enumerate(clients):
        connection, sent = client
        try:
            connection.send(head[sent:sent + 1])
            client[1] = sent + 1
        except OSError:  # let go by the service: another takes its place
            connection.close()
            try:
                clients[index] = connect()
            except OSError:
                pass
