import socket, json, time, sys
for i in range(60):
    try:
        s = socket.create_connection(("127.0.0.1", 2828)); break
    except OSError: time.sleep(0.5)
def recv():
    buf=b""
    while b":" not in buf: buf+=s.recv(1)
    n,rest=buf.split(b":",1); n=int(n)
    while len(rest)<n: rest+=s.recv(n-len(rest))
    return json.loads(rest)
def send(msg):
    d=json.dumps(msg).encode(); s.sendall(str(len(d)).encode()+b":"+d)
print(recv())
send([0,1,"WebDriver:NewSession",{}]); print(recv())
send([0,2,"Marionette:Quit",{"flags":["eAttemptQuit"]}]); print(recv())
