"""A small HTTP server on 127.0.0.1 for the updater tests.

usage: loopback_server.py ROOT PORTFILE SECONDS
Serves the files under ROOT, writes its port to PORTFILE once it listens, appends every
request path to ROOT/../requests.log, and stops after SECONDS or when ROOT/../stop exists.
Extra paths: /status/N answers with status N; /redirect?to=URL answers 302 to URL;
/slow/NAME serves NAME after one second; /short/N promises N bytes, sends 10 and closes;
/trickle/N promises N bytes and sends 2 every half second; /stall reads the request and never
answers. The last two hold on until the client goes or the server stops.
"""
import http.server
import os
import sys
import threading
import time
import urllib.parse

root, port_file, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
here = os.path.dirname(os.path.abspath(root))
log_path = os.path.join(here, "requests.log")
stop_path = os.path.join(here, "stop")


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(log_path, "a") as log:
            log.write(self.path + "\n")
        parsed = urllib.parse.urlsplit(self.path)
        if parsed.path.startswith("/status/"):
            self.send_response(int(parsed.path[len("/status/"):]))
            self.send_header("Content-Length", "5")
            self.end_headers()
            self.wfile.write(b"oops\n")
            return
        if parsed.path == "/redirect":
            target = urllib.parse.parse_qs(parsed.query)["to"][0]
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if parsed.path.startswith("/short/"):
            self.send_response(200)
            self.send_header("Content-Length", parsed.path[len("/short/"):])
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.wfile.flush()
            self.close_connection = True
            return
        if parsed.path.startswith("/trickle/"):
            total = int(parsed.path[len("/trickle/"):])
            self.send_response(200)
            self.send_header("Content-Length", str(total))
            self.end_headers()
            sent = 0
            try:
                while sent < total and not os.path.exists(stop_path):
                    self.wfile.write(b"MZ"[: total - sent])
                    self.wfile.flush()
                    sent += 2
                    time.sleep(0.5)
            except OSError:
                pass  # the client gave up
            self.close_connection = True
            return
        if parsed.path == "/stall":
            while not os.path.exists(stop_path):
                time.sleep(0.1)
            self.close_connection = True
            return
        if parsed.path.startswith("/slow/"):
            time.sleep(1.0)
            self.path = "/" + parsed.path[len("/slow/"):]
        super().do_GET()


# LOOPBACK_SERVER_START_DELAY (seconds) stands for a Python that is slow to start on a
# loaded machine.
time.sleep(float(os.environ.get("LOOPBACK_SERVER_START_DELAY", "0")))
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
threading.Thread(target=server.serve_forever, daemon=True).start()
deadline = time.time() + seconds
while time.time() < deadline and not os.path.exists(stop_path):
    time.sleep(0.05)
server.shutdown()
