# Sourced by the scripts that start servers: prints a free TCP port of
# 127.0.0.1.
free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
