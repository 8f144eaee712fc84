"""A proxy that asks for sign-in by Negotiate, and the Kerberos realm behind it, both the tests'
own: an MIT KDC and a squid whose helper negotiate_kerberos_auth checks the tickets.

Everything lives in a folder of its own (configuration, database, keytabs, logs, pid file) and
listens on free ports of 127.0.0.1 alone; the machine's /etc/krb5.conf, KDC and squid are never
used. The realm has two principals: the proxy's service, HTTP/localhost, and the user who signs
in. A client finds the realm through client_environment(), which points KRB5_CONFIG at the
realm's krb5.conf and KRB5CCNAME at a ticket cache of the realm's own.
"""

import os
import pwd
import shutil
import socket
import subprocess
import tempfile
import time

REALM = "TIMETABLE.TEST"
USER = "driver"
# The name the client gives the proxy, and so the service's principal HTTP/<name>. The krb5.conf
# keeps it as written (no canonical name from DNS, no reverse lookup), whatever the machine's
# resolver makes of it.
PROXY_HOST = "localhost"
SERVICE_PRINCIPAL = "HTTP/%s@%s" % (PROXY_HOST, REALM)
NEGOTIATE_HELPER = "/usr/lib/squid/negotiate_kerberos_auth"
# Debian's squid drops root for this user, which must then read the keytab and write the logs.
SQUID_USER = "proxy"
# The programs the realm and the proxy need, with the Debian package that has each.
PROGRAMS = {"kdb5_util": "krb5-admin-server", "kadmin.local": "krb5-admin-server",
            "krb5kdc": "krb5-kdc", "kinit": "krb5-user", "squid": "squid"}
STARTUP_SECONDS = 15


class Unavailable(Exception):
    """Something the realm or the proxy needs is not on this machine."""


class SignInProxy:
    """A running realm and proxy: stop() ends both and removes their folder."""

    def __init__(self, folder):
        self.folder = folder
        self.processes = []
        self.url = None  # http://localhost:PORT
        self.kdc_port = None

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def client_environment(self, env, ticket=True):
        """env with the realm's krb5.conf and a ticket cache holding the user's ticket, or with
        an empty one of its own (never the machine's user's) when ticket is false."""
        env = dict(env)
        env["KRB5_CONFIG"] = self.path("krb5.conf")
        env["KRB5CCNAME"] = "FILE:" + self.path("ticket" if ticket else "no-ticket")
        return env

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.processes = []
        shutil.rmtree(self.folder, ignore_errors=True)

    def access_log(self):
        """The requests squid let through, one line each, with the user who signed in."""
        try:
            with open(self.path("squid", "access.log"), encoding="utf-8") as log:
                return log.read().splitlines()
        except OSError:
            return []


def missing():
    """Why the realm and the proxy cannot be started here, or None when they can."""
    absent = {package for name, package in PROGRAMS.items() if not program(name)}
    if not os.access(NEGOTIATE_HELPER, os.X_OK):
        absent.add("squid")
    absent = sorted(absent)
    if absent:
        return ("the proxy sign-in tests need the Debian packages %s: scripts/install-deps.sh %s"
                % (", ".join(absent), " ".join(absent)))
    if os.geteuid() == 0:
        try:
            pwd.getpwnam(SQUID_USER)
        except KeyError:
            return "squid run by root needs the user %s, which its package makes" % SQUID_USER
    return None


def start():
    """Makes the realm, takes the user's ticket, and starts the KDC and squid. Raises
    Unavailable when something is missing, RuntimeError when a part does not start."""
    reason = missing()
    if reason:
        raise Unavailable(reason)
    proxy = SignInProxy(tempfile.mkdtemp(prefix="timetable-sign-in-"))
    try:
        make_realm(proxy)
        start_kdc(proxy)
        run(proxy, ["kinit", "-k", "-t", proxy.path("user.keytab"), USER],
            proxy.client_environment(os.environ))
        start_squid(proxy)
        return proxy
    except BaseException:
        proxy.stop()
        raise


def program(name):
    """The program's path, looked for in the administrator's folders too, where Debian puts the
    KDC and squid."""
    return shutil.which(name, path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")


def run(proxy, command, env, stdin=None):
    result = subprocess.run([program(command[0]), *command[1:]], input=stdin, env=env,
                            cwd=proxy.folder, capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s%s" % (" ".join(command), result.stdout, result.stderr))


def free_port():
    """A port of 127.0.0.1 free for both TCP and UDP at the moment it is asked for."""
    for _ in range(50):
        with socket.socket() as tcp:
            tcp.bind(("127.0.0.1", 0))
            port = tcp.getsockname()[1]
            with socket.socket(type=socket.SOCK_DGRAM) as udp:
                try:
                    udp.bind(("127.0.0.1", port))
                except OSError:
                    continue
                return port
    raise RuntimeError("no free port for the KDC")


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def kdc_environment(proxy):
    env = dict(os.environ)
    env.update(KRB5_CONFIG=proxy.path("krb5.conf"), KRB5_KDC_PROFILE=proxy.path("kdc.conf"))
    return env


def make_realm(proxy):
    proxy.kdc_port = free_port()
    address = "127.0.0.1:%d" % proxy.kdc_port
    # Over TCP alone (udp_preference_limit), so that a ticket of any size goes the same way.
    write(proxy.path("krb5.conf"), """[libdefaults]
  default_realm = %(realm)s
  dns_lookup_kdc = false
  dns_lookup_realm = false
  dns_canonicalize_hostname = false
  rdns = false
  udp_preference_limit = 1
[realms]
  %(realm)s = {
    kdc = %(address)s
  }
[domain_realm]
  %(host)s = %(realm)s
""" % dict(realm=REALM, address=address, host=PROXY_HOST))
    write(proxy.path("kdc.conf"), """[kdcdefaults]
  kdc_listen = %(address)s
  kdc_tcp_listen = %(address)s
[realms]
  %(realm)s = {
    database_name = %(folder)s/principal
    key_stash_file = %(folder)s/stash
    acl_file = %(folder)s/kadm5.acl
    kdc_listen = %(address)s
    kdc_tcp_listen = %(address)s
  }
[logging]
  kdc = FILE:%(folder)s/kdc.log
""" % dict(realm=REALM, address=address, folder=proxy.folder))
    write(proxy.path("kadm5.acl"), "")
    env = kdc_environment(proxy)
    run(proxy, ["kdb5_util", "create", "-s", "-r", REALM, "-P", "master-" + os.urandom(8).hex()],
        env)
    os.makedirs(proxy.path("squid"))
    service_keytab = proxy.path("squid", "service.keytab")
    run(proxy, ["kadmin.local", "-r", REALM], env,
        stdin="addprinc -randkey %s\nktadd -k %s %s\naddprinc -randkey %s\nktadd -k %s %s\n"
        % (SERVICE_PRINCIPAL, service_keytab, SERVICE_PRINCIPAL, USER,
           proxy.path("user.keytab"), USER))
    # kadmin.local reports a failed command on its standard error but still exits 0.
    if not os.path.exists(service_keytab) or not os.path.exists(proxy.path("user.keytab")):
        raise RuntimeError("kadmin.local made no keytab")


def wait_for_port(process, name, port, log):
    deadline = time.time() + STARTUP_SECONDS
    while True:
        if process.poll() is not None:
            raise RuntimeError("%s ended at its start (status %d): %s"
                               % (name, process.returncode, tail(log)))
        with socket.socket() as probe:
            if probe.connect_ex(("127.0.0.1", port)) == 0:
                return
        if time.time() > deadline:
            raise RuntimeError("%s did not listen on port %d within %d s: %s"
                               % (name, port, STARTUP_SECONDS, tail(log)))
        time.sleep(0.05)


def tail(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return "".join(f.readlines()[-20:])
    except OSError:
        return "(no log at %s)" % path


def start_kdc(proxy):
    log = proxy.path("kdc.out")
    with open(log, "wb") as out:
        process = subprocess.Popen([program("krb5kdc"), "-n"], env=kdc_environment(proxy),
                                   cwd=proxy.folder, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=subprocess.STDOUT)
    proxy.processes.append(process)
    wait_for_port(process, "krb5kdc", proxy.kdc_port, log)


def start_squid(proxy):
    folder = proxy.path("squid")
    port = free_port()
    proxy.url = "http://%s:%d" % (PROXY_HOST, port)
    user = ""
    if os.geteuid() == 0:
        # squid drops root for its user, who reaches the folder through ours and owns its own.
        user = "cache_effective_user " + SQUID_USER
        os.chmod(proxy.folder, 0o711)
        entry = pwd.getpwnam(SQUID_USER)
        for path in (folder, os.path.join(folder, "service.keytab")):
            os.chown(path, entry.pw_uid, entry.pw_gid)
    # Nothing is cached, nothing listens beyond the one port, and no name is asked of the
    # machine's DNS: the service's name, localhost, comes from /etc/hosts.
    write(os.path.join(folder, "squid.conf"), """http_port 127.0.0.1:%(port)d
%(user)s
pid_filename %(folder)s/squid.pid
cache_log %(folder)s/cache.log
access_log stdio:%(folder)s/access.log squid
cache_store_log none
netdb_filename none
coredump_dir %(folder)s
cache deny all
cache_mem 1 MB
dns_nameservers 127.0.0.1
udp_incoming_address 127.0.0.1
udp_outgoing_address 127.0.0.1
icp_port 0
htcp_port 0
snmp_port 0
pinger_enable off
visible_hostname %(host)s
shutdown_lifetime 0 seconds
auth_param negotiate program %(helper)s -s %(principal)s
auth_param negotiate children 1 startup=1 idle=1
auth_param negotiate keep_alive on
acl signed_in proxy_auth REQUIRED
http_access allow signed_in
http_access deny all
""" % dict(port=port, user=user, folder=folder, host=PROXY_HOST, helper=NEGOTIATE_HELPER,
           principal=SERVICE_PRINCIPAL))
    env = dict(os.environ)
    # The helper inherits these: the realm, the service's key, and no replay cache outside the
    # folder.
    env.update(KRB5_CONFIG=proxy.path("krb5.conf"),
               KRB5_KTNAME="FILE:" + os.path.join(folder, "service.keytab"),
               KRB5RCACHETYPE="none")
    log = os.path.join(folder, "squid.out")
    with open(log, "wb") as out:
        process = subprocess.Popen([program("squid"), "-N", "-f",
                                    os.path.join(folder, "squid.conf")],
                                   env=env, cwd=folder, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=subprocess.STDOUT)
    proxy.processes.append(process)
    wait_for_port(process, "squid", port, os.path.join(folder, "cache.log"))
