#!/usr/bin/python3
"""endcap-calc-bridge: LibreOffice Calc driven through its UNO automation interface on behalf of
the station's certificate launch.

One request a line on standard input, fields separated by tabs; one answer a line on standard
output: "ok", "ok<TAB>value" or "error<TAB>reason". The requests, in the order the station sends
them:

  start<TAB>SOFFICE<TAB>PROFILE<TAB>HEADLESS  start LibreOffice (or hand over to a running one)
                                              and connect; PROFILE may be empty (the user's own)
  open<TAB>PATH                               load the workbook, hidden
  run-auto-macros                             run the workbook's start-up macro (Auto_Open)
  export-pdf<TAB>PATH                         write the last workbook as a PDF file at PATH
  visible<TAB>0|1                             show or hide the workbooks' windows
  user-control<TAB>0|1                        leave LibreOffice running when the bridge ends
  saved                                       ok<TAB>1 when the last workbook holds no unsaved
                                              changes, ok<TAB>0 when it does
  close-workbooks                             close the workbooks this bridge opened
  quit                                        end LibreOffice unless other documents are open

A workbook with unsaved changes is never closed: it is the certificate, and stays open for the
user. At the end of standard input the bridge lets go: a LibreOffice that it started and that was
not handed to the user is ended, and the lock files of the workbooks it opened go with it.
"""

import os
import re
import shutil
import subprocess
import sys
import time

import uno
import unohelper
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException
from com.sun.star.frame import TerminationVetoException, XTerminateListener
from com.sun.star.lang import DisposedException

CONNECT_SECONDS = 45
LOAD_ATTEMPTS = 3
# Use the macro security settings, and never wait for a confirmation nobody may be there to
# give: a template runs its macros only where LibreOffice's security allows them outright.
USE_CONFIG_REJECT_CONFIRMATION = 5
AUTO_OPEN = re.compile(r"^\s*(?:public\s+|private\s+)?sub\s+(auto_open)\b", re.IGNORECASE | re.MULTILINE)


class Failure(Exception):
    pass


class StayAlive(unohelper.Base, XTerminateListener):
    """Keeps LibreOffice running while the bridge holds it: it would otherwise end by itself when
    its last document closes, in the middle of the close."""

    def queryTermination(self, event):
        raise TerminationVetoException()

    def notifyTermination(self, event):
        pass

    def disposing(self, event):
        pass


def lock_file(path):
    """LibreOffice's lock file of a document, beside it."""
    folder, name = os.path.split(os.path.abspath(path))
    return os.path.join(folder, ".~lock." + name + "#")


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


class Bridge:
    def __init__(self):
        self.office = None  # the LibreOffice process this bridge started
        self.desktop = None
        self.documents = []
        self.user_control = False
        self.visible = False
        self.headless = False
        self.stay_alive = None
        self.own_locks = []  # lock files of the workbooks opened that were not there before

    def start(self, soffice, profile="", headless="0"):
        self.headless = headless == "1"
        pipe = "endcap_calc_%d" % os.getpid()
        args = [soffice, "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe,
                "--norestore", "--nologo", "--nodefault", "--nolockcheck",
                "--headless" if headless == "1" else "--invisible"]
        if shutil.which(soffice) is None:
            raise Failure("LibreOffice (%s) was not found" % soffice)
        if profile:
            args.append("-env:UserInstallation=" + uno.systemPathToFileUrl(os.path.abspath(profile)))
        try:
            self.office = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        except OSError as e:
            raise Failure("cannot run %s: %s" % (soffice, e.strerror))
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + CONNECT_SECONDS
        while True:
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except NoConnectException:
                # A running LibreOffice of the same profile takes the request over and the
                # process started here ends at once; keep trying until the time is up.
                if time.monotonic() > deadline:
                    raise Failure("LibreOffice did not accept a connection within %d s" % CONNECT_SECONDS)
                time.sleep(0.2)
        self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        self.stay_alive = StayAlive()
        self.desktop.addTerminateListener(self.stay_alive)

    def open(self, path):
        if not os.path.isfile(path):
            raise Failure("no such file")
        url = uno.systemPathToFileUrl(os.path.abspath(path))
        if not os.path.exists(lock_file(path)):
            self.own_locks.append(lock_file(path))
        # A LibreOffice still settling into a profile it has just made can refuse the first
        # loads; a file it cannot read is refused every time.
        for attempt in range(LOAD_ATTEMPTS):
            document = self.desktop.loadComponentFromURL(
                url, "_blank", 0, (prop("Hidden", True), prop("MacroExecutionMode", USE_CONFIG_REJECT_CONFIRMATION)))
            if document is not None:
                break
            time.sleep(1)
        if document is None:
            raise Failure("LibreOffice could not load it")
        self.documents.append(document)

    def run_auto_macros(self):
        if not self.documents:
            raise Failure("no workbook is open")
        document = self.documents[-1]
        libraries = document.BasicLibraries
        for library_name in libraries.getElementNames():
            libraries.loadLibrary(library_name)
            library = libraries.getByName(library_name)
            for module_name in library.getElementNames():
                match = AUTO_OPEN.search(library.getByName(module_name))
                if match:
                    # Called through the API a macro would run whatever the security settings
                    # say; the template's macros run only where LibreOffice lets them.
                    if not document.AllowMacroExecution:
                        raise Failure("LibreOffice's macro security does not allow the macros of this template: "
                                      "add the certificate folder to the trusted file locations")
                    script = document.getScriptProvider().getScript(
                        "vnd.sun.star.script:%s.%s.%s?language=Basic&location=document"
                        % (library_name, module_name, match.group(1)))
                    script.invoke((), (), ())
                    return
        raise Failure("the template has no start-up macro (Auto_Open)")

    def export_pdf(self, path):
        if not self.documents:
            raise Failure("no workbook is open")
        # Written beside its place and renamed over it when complete: a failed export leaves an
        # earlier PDF as it was.
        fresh = "%s.new-%d" % (path, os.getpid())
        try:
            self.documents[-1].storeToURL(uno.systemPathToFileUrl(os.path.abspath(fresh)),
                                          (prop("FilterName", "calc_pdf_Export"),))
            os.replace(fresh, path)
        except OSError as e:
            raise Failure(e.strerror)
        finally:
            if os.path.exists(fresh):
                os.remove(fresh)

    def set_visible(self, flag):
        self.visible = flag == "1"
        # A headless LibreOffice has nowhere to show a window, and ends when asked to.
        if self.headless:
            return
        for document in self.documents:
            document.getCurrentController().getFrame().getContainerWindow().setVisible(self.visible)

    def set_user_control(self, flag):
        self.user_control = flag == "1"

    def saved(self):
        if not self.documents:
            raise Failure("no workbook is open")
        return "0" if self.documents[-1].isModified() else "1"

    def close_workbooks(self):
        documents, self.documents = self.documents, []
        for document in documents:
            try:
                if document.isModified():
                    self.documents.append(document)
                    continue
                document.close(True)
            except DisposedException:
                # LibreOffice ends by itself with its last window once a window was shown: the
                # workbook is closed, and LibreOffice with it.
                self.desktop = None
                self.stay_alive = None
                self.wait_for_office()
                return

    def quit(self):
        if self.desktop is None:
            return
        self.let_go()
        others = self.desktop.getComponents().createEnumeration()
        if not others.hasMoreElements():
            self.desktop.terminate()
            self.wait_for_office()
        self.desktop = None

    def let_go(self):
        if self.stay_alive is not None:
            self.desktop.removeTerminateListener(self.stay_alive)
            self.stay_alive = None

    def wait_for_office(self):
        if self.office is not None:
            try:
                self.office.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.office.kill()
            self.office = None

    def release(self):
        if not self.user_control:
            try:
                self.close_workbooks()
                if self.documents:
                    # Left with changes: shown and handed to the user rather than thrown away.
                    self.set_visible("1")
                    self.user_control = True
                else:
                    self.quit()
            except Exception:
                pass
        if self.user_control:
            try:
                if self.desktop is not None:
                    self.let_go()
            except Exception:
                pass
            return
        if self.office is not None and self.office.poll() is None:
            self.office.terminate()
            self.wait_for_office()
        # A LibreOffice ended by a signal leaves its locks, and the next launch would find the
        # template in use.
        for lock in self.own_locks:
            try:
                os.remove(lock)
            except OSError:
                pass


def main():
    bridge = Bridge()
    handlers = {
        "start": bridge.start,
        "open": bridge.open,
        "run-auto-macros": bridge.run_auto_macros,
        "export-pdf": bridge.export_pdf,
        "visible": bridge.set_visible,
        "user-control": bridge.set_user_control,
        "saved": bridge.saved,
        "close-workbooks": bridge.close_workbooks,
        "quit": bridge.quit,
    }
    for line in sys.stdin:
        fields = line.rstrip("\n").split("\t")
        handler = handlers.get(fields[0])
        try:
            if handler is None:
                raise Failure("unknown request " + fields[0])
            value = handler(*fields[1:])
            answer = "ok" if value is None else "ok\t" + value
        except Failure as e:
            answer = "error\t" + str(e)
        except Exception as e:  # UNO's own exceptions carry their message in Message
            answer = "error\t" + (getattr(e, "Message", "") or str(e) or type(e).__name__)
        print(answer.replace("\n", " "), flush=True)
    bridge.release()


if __name__ == "__main__":
    main()
