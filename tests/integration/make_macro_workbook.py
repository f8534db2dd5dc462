#!/usr/bin/python3
"""Writes a small spreadsheet (OpenDocument) whose Basic macro Auto_Open writes one line to a
file, so that a test can tell that the workbook's start-up macro ran, and then does what MACRO
says: "writes" nothing more, "modifies" the workbook (a certificate made and not saved),
"hangs" waits two minutes; "none" gives the workbook no Auto_Open at all.

usage: make_macro_workbook.py WORKBOOK OUTPUT_FILE [MACRO]
"""

import sys
import zipfile
from xml.sax.saxutils import escape

workbook, output = sys.argv[1], sys.argv[2]
macro = sys.argv[3] if len(sys.argv) > 3 else "writes"

THEN = {
    "writes": "",
    "modifies": '  ThisComponent.Sheets(0).getCellByPosition(0, 1).setString("made by Auto_Open")\n',
    "hangs": "  Wait 120000\n",
}

MODULE = """Sub %s
  Dim n As Integer
  n = FreeFile
  Open "%s" For Output As #n
  Print #n, "Auto_Open ran in " &amp; ThisComponent.getURL()
  Close #n
%sEnd Sub
""" % ("Other" if macro == "none" else "Auto_Open", escape(output), THEN.get(macro, ""))

FILES = {
    "META-INF/manifest.xml": """<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">
 <manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
 <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
 <manifest:file-entry manifest:full-path="Basic/script-lc.xml" manifest:media-type="text/xml"/>
 <manifest:file-entry manifest:full-path="Basic/Standard/script-lb.xml" manifest:media-type="text/xml"/>
 <manifest:file-entry manifest:full-path="Basic/Standard/Certificate.xml" manifest:media-type="text/xml"/>
</manifest:manifest>
""",
    "content.xml": """<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
 <office:body><office:spreadsheet><table:table table:name="Certificate"><table:table-row>
  <table:table-cell><text:p>certificate template</text:p></table:table-cell>
 </table:table-row></table:table></office:spreadsheet></office:body>
</office:document-content>
""",
    "Basic/script-lc.xml": """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE library:libraries PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "libraries.dtd">
<library:libraries xmlns:library="http://openoffice.org/2000/library" xmlns:xlink="http://www.w3.org/1999/xlink">
 <library:library library:name="Standard" library:link="false"/>
</library:libraries>
""",
    "Basic/Standard/script-lb.xml": """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE library:library PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "library.dtd">
<library:library xmlns:library="http://openoffice.org/2000/library" library:name="Standard" library:readonly="false" library:passwordprotected="false">
 <library:element library:name="Certificate"/>
</library:library>
""",
    "Basic/Standard/Certificate.xml": """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Certificate" script:language="StarBasic">"""
    + MODULE + "</script:module>\n",
}

with zipfile.ZipFile(workbook, "w") as z:
    # The media type comes first and uncompressed, as OpenDocument requires.
    z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
    for name, text in FILES.items():
        z.writestr(name, text, compress_type=zipfile.ZIP_DEFLATED)
