<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>Usage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SUBCOMMAND</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SUBCOMMANDS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Positionals</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>REQUIRED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print this help message and exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subcommands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>language of messages and help: zh or en</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>lprctl</name>
    <message>
        <source>cannot log in to %1 (no answer, or wrong user name or password)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 refused to restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>restarting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 did not come back after its restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the image file on this computer cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot connect to the camera, or not logged in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>connection lost during or after the upload, before an outcome was seen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a valid image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>length or checksum mismatch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>image is for another platform</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>image already installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>flash write failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>busy: an upload is already flashing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the camera did not answer in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot start a search (no UDP socket)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no camera answered within %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 camera(s) found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 did not tell its version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the image file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sending (%1 s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>flashing (%1 s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no outcome within %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upgrade of %1 failed: %2 (error %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a camera that restarts by itself after flashing (HS3516) ends this way; read its version once it is back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>done (%1 s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new version runs after the next restart (lprctl reboot %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is back but did not tell its version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>running %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a shell command has 1 to 256 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the command failed on %1 (nonzero exit, unknown command, or no answer)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos;: %2 (expected a.b.c.d or a.b.c.d:port)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>camera address, port 80 unless given</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>user name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lprctl: search, read, upgrade, restart and run shell commands on cameras</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Exit codes:
  0  success
  1  bad arguments
  2  cannot connect or log in (address, port, user name, password)
  3  the camera refused or failed the operation
  4  the camera reported that the upgrade failed
  5  the connection broke before the outcome of an upgrade was seen
  6  the image file cannot be read
  7  timed out waiting for the camera
  8  search: no camera answered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the cameras that answer a search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how long to listen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>print a camera&apos;s firmware version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>send one image and follow the flashing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>image file (.bin)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>restart the camera when done and wait until it is back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>seconds to wait for the outcome</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>restart a camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wait until the camera is back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>run one maintenance shell command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the command, at most 256 bytes</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tolvane-cli</name>
    <message>
        <source>unverified: the version could not be read afterwards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no result within the time bound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>search dropped %1 hellos of cameras beyond the first %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--since &apos;%1&apos;: expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no upgrade history yet (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>skipped %1 broken line(s) of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the cameras found, with their versions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how long to search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>longest wait for the versions after the search, in seconds (default: a bound from the number of cameras)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ADDRESS[:PORT]... probed by unicast instead of the broadcast search; listed even when silent (port 80 when omitted)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FIRST-LAST or ADDRESS/PREFIX (at most 4096 addresses) probed by unicast instead of the broadcast search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 addresses to probe; a scan covers at most %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ADDRESS[:PORT] (port 80 when omitted)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>log-in user name (default admin)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show what an upgrade would do to each camera (log-in and version reads only)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the finished upgrades</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>only upgrades at or after DATE (YYYY-MM-DD[THH:MM[:SS]], local)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>only this camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upgrade cameras, spread over the workers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>also write the results to FILE as CSV (UTF-8, spreadsheet-ready)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>longest wait for all results, in seconds (default: the worst case)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upgrade workers; camera k goes to worker k mod N (default 5, as the window)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finds licence-plate cameras and upgrades their firmware.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>one JSON object per line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>folder holding UpdateFiles and the logs (default: the program&apos;s own)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>user name and password need 1 to 31 characters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write &apos;%1&apos;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the probes could not be sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos;: %2 (expected a.b.c.d or a.b.c.d:port)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos;: not a camera address (0.0.0.0 and 255.255.255.255 are not)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tool</name>
    <message>
        <source>cannot read password file %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read password file %1: no line in it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password (Enter keeps the default): </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>user name or password contains a control character (such as CR, LF or NUL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>log-in password; visible to other users of this computer (ps) and kept in the shell history: prefer --password-file or TOLVANE_PASSWORD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>read the log-in password from the first line of FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--lang %1: unknown language; use zh or en</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TOLVANE_LANG=%1 is not zh or en: ignored</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
