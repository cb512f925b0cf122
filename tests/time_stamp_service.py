# An RFC 3161 time-stamping service for the release test, on 127.0.0.1 at a
# free port, which it prints: openssl ts answers with time-stamps.pem and its
# key from the folder given, and at /garbage with what is not a time-stamp.
import http.server
import pathlib
import subprocess
import sys

folder = pathlib.Path(sys.argv[1])
config = folder / "time-stamps.cnf"
config.write_text(f"""[here]
serial = {folder}/time-stamps.serial
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
""")


class Service(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = b"not a time-stamp"
        if self.path != "/garbage":
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-section", "here",
                                    "-signer", folder / "time-stamps.pem", "-inkey", folder / "time-stamps.key",
                                    "-queryfile", "/dev/stdin", "-out", "/dev/stdout"],
                                   input=query, capture_output=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()  # and the connection closes after the reply, as in HTTP/1.0
        self.wfile.write(reply)


server = http.server.HTTPServer(("127.0.0.1", 0), Service)
print(server.server_port, flush=True)
server.serve_forever()
