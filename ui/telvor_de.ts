<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The program's own messages in German: the box that lists the failed
     steps, its lines, the reasons the program gives itself and what the
     Qt open-file dialog says of a folder that does not exist. Made into a
     table for either program by cmake/catalogue.cmake. "%1" is a path,
     "%2" a reason. -->
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>TELVOR</name>
    <message>
        <source>TELVOR could not complete these steps:</source>
        <translation>TELVOR konnte diese Schritte nicht ausführen:</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>kann %1 nicht lesen: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>kann %1 nicht schreiben: %2</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>kann %1 nicht anlegen: %2</translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation>kann %1 nicht ersetzen: %2</translation>
    </message>
    <message>
        <source>cannot lock the folder %1: %2</source>
        <translation>kann den Ordner %1 nicht sperren: %2</translation>
    </message>
    <message>
        <source>cannot rewrite %1: %2</source>
        <translation>kann %1 nicht neu schreiben: %2</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>kann %1 nicht öffnen: %2</translation>
    </message>
    <message>
        <source>cannot write a copy of the new content beside %1: %2</source>
        <translation>kann keine Kopie des neuen Inhalts neben %1 schreiben: %2</translation>
    </message>
    <message>
        <source>cannot keep the owner, permissions and attributes of %1: %2</source>
        <translation>kann Eigentümer, Rechte und Attribute von %1 nicht erhalten: %2</translation>
    </message>
    <message>
        <source>cannot flush the folder %1: %2</source>
        <translation>kann den Ordner %1 nicht auf den Datenträger schreiben: %2</translation>
    </message>
    <message>
        <source>cannot remove the journal %1: %2</source>
        <translation>kann das Journal %1 nicht entfernen: %2</translation>
    </message>
    <message>
        <source>cannot read the journal %1: %2</source>
        <translation>kann das Journal %1 nicht lesen: %2</translation>
    </message>
    <message>
        <source>TELVOR is already running in this folder:</source>
        <translation>TELVOR läuft schon in diesem Ordner:</translation>
    </message>
    <message>
        <source>TELVOR is already running on this Event file:</source>
        <translation>TELVOR läuft schon mit dieser Event-Datei:</translation>
    </message>
    <message>
        <source>TELVOR cannot lock this folder and leaves it alone:</source>
        <translation>TELVOR kann diesen Ordner nicht sperren und lässt ihn unberührt:</translation>
    </message>
    <message>
        <source>TELVOR must be able to read and write the folder.</source>
        <translation>TELVOR muss den Ordner lesen und schreiben dürfen.</translation>
    </message>
    <message>
        <source>TELVOR leaves this Event file alone:</source>
        <translation>TELVOR lässt diese Event-Datei unberührt:</translation>
    </message>
    <message>
        <source>cannot restore the old content of %1: %2</source>
        <translation>kann den alten Inhalt von %1 nicht wiederherstellen: %2</translation>
    </message>
    <message>
        <source>cannot write the journal %1: %2</source>
        <translation>kann das Journal %1 nicht schreiben: %2</translation>
    </message>
    <message>
        <source>cannot read the clipboard: %2</source>
        <translation>kann die Zwischenablage nicht lesen: %2</translation>
    </message>
    <message>
        <source>the program holding the clipboard did not hand over its text in time</source>
        <translation>das Programm, dem die Zwischenablage gehört, hat ihren Text nicht rechtzeitig herausgegeben</translation>
    </message>
    <message>
        <source>TELVOR's window did not get the keyboard focus</source>
        <translation>das Fenster von TELVOR hat den Tastaturfokus nicht bekommen</translation>
    </message>
    <message>
        <source>another program keeps the clipboard open</source>
        <translation>ein anderes Programm hält die Zwischenablage geöffnet</translation>
    </message>
    <message>
        <source>it is one of TELVOR's own files in the Program directory</source>
        <translation>sie ist eine der eigenen Dateien von TELVOR im Programmverzeichnis</translation>
    </message>
    <message>
        <source>the file is in use by this run</source>
        <translation>die Datei ist in diesem Lauf schon in Gebrauch</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>it is not a plain file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the working file is not complete</source>
        <translation>die Arbeitsdatei ist unvollständig</translation>
    </message>
    <message>
        <source>the file changed while it was copied</source>
        <translation>die Datei hat sich beim Kopieren geändert</translation>
    </message>
    <message>
        <source>The last run on %1 was interrupted. Its old content was put back from %2.</source>
        <translation>Der letzte Lauf mit %1 wurde unterbrochen. Ihr alter Inhalt wurde aus %2 zurückgeschrieben.</translation>
    </message>
    <message>
        <source>The last run by %1 on %2 was interrupted, and its journal %3 belongs to %1. TELVOR leaves %2 alone until %1 runs TELVOR on it again or %3 is removed.</source>
        <translation>Der letzte Lauf von %1 mit %2 wurde unterbrochen, und sein Journal %3 gehört %1. TELVOR lässt %2 unberührt, bis %1 TELVOR wieder damit startet oder %3 entfernt ist.</translation>
    </message>
    <message>
        <source>%1 has the name of the journal of %2, but %3. TELVOR leaves %2 alone until %1 is removed.</source>
        <translation>%1 trägt den Namen des Journals von %2, aber %3. TELVOR lässt %2 unberührt, bis %1 entfernt ist.</translation>
    </message>
    <message>
        <source>it is a link</source>
        <translation>es ist eine Verknüpfung</translation>
    </message>
    <message>
        <source>it has more than one name</source>
        <translation>es hat mehr als einen Namen</translation>
    </message>
    <message>
        <source>this run may not remove it</source>
        <translation>dieser Lauf darf es nicht entfernen</translation>
    </message>
    <message>
        <source>it is no journal of TELVOR's</source>
        <translation>es ist kein Journal von TELVOR</translation>
    </message>
    <message>
        <source>it is the journal of another file</source>
        <translation>es ist das Journal einer anderen Datei</translation>
    </message>
    <message>
        <source>it is incomplete</source>
        <translation>es ist unvollständig</translation>
    </message>
    <message>
        <source>its content does not match its checksum</source>
        <translation>sein Inhalt passt nicht zu seiner Prüfsumme</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>es kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>it changed while it was looked at</source>
        <translation>es hat sich beim Prüfen geändert</translation>
    </message>
    <message>
        <source>another TELVOR run holds the file</source>
        <translation>ein anderer TELVOR-Lauf hält die Datei</translation>
    </message>
    <message>
        <source>its folder may not be written, so no journal can guard a rewrite in place</source>
        <translation>ihr Ordner darf nicht beschrieben werden, also kann kein Journal ein Überschreiben an Ort und Stelle absichern</translation>
    </message>
    <message>
        <source>another entry has its name</source>
        <translation>ein anderer Eintrag trägt seinen Namen</translation>
    </message>
    <message>
        <source>another file took its name</source>
        <translation>eine andere Datei hat ihren Namen übernommen</translation>
    </message>
    <message>
        <source>the file ended early</source>
        <translation>die Datei endete zu früh</translation>
    </message>
    <message>
        <source>cannot lock %1: %2</source>
        <translation>kann %1 nicht sperren: %2</translation>
    </message>
    <message>
        <source>TELVOR cannot enter the folder of this Event file:</source>
        <translation>TELVOR kann den Ordner dieser Event-Datei nicht öffnen:</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>nicht vorhanden</translation>
    </message>
    <message>
        <source>its folder does not exist</source>
        <translation>sein Ordner ist nicht vorhanden</translation>
    </message>
    <message>
        <source>it is write-protected</source>
        <translation>schreibgeschützt</translation>
    </message>
    <message>
        <source>no permission</source>
        <translation>keine Berechtigung</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>das Dateisystem ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>another program has the file open</source>
        <translation>ein anderes Programm hat die Datei geöffnet</translation>
    </message>
    <message>
        <source>cannot look into the folder %1: %2</source>
        <translation>kann nicht in den Ordner %1 schauen: %2</translation>
    </message>
    <message>
        <source>%1 has it open (found %2).</source>
        <translation>%1 hat sie geöffnet (gefunden: %2).</translation>
    </message>
    <message>
        <source>Save and close the file in %1 first, then start TELVOR again.</source>
        <translation>Speichern und schließen Sie die Datei zuerst in %1, dann starten Sie TELVOR erneut.</translation>
    </message>
    <message>
        <source>Another program has it open.</source>
        <translation>Ein anderes Programm hat sie geöffnet.</translation>
    </message>
    <message>
        <source>Save and close the file there first, then start TELVOR again.</source>
        <translation>Speichern und schließen Sie die Datei zuerst dort, dann starten Sie TELVOR erneut.</translation>
    </message>
    <message>
        <source>cannot read the current folder: %2</source>
        <translation>kann den aktuellen Ordner nicht lesen: %2</translation>
    </message>
    <message>
        <source>cannot enter the folder %1: %2</source>
        <translation>kann nicht in den Ordner %1 wechseln: %2</translation>
    </message>
    <message>
        <source>The folder does not exist:</source>
        <translation>Der Ordner existiert nicht:</translation>
    </message>
</context>
</TS>
